#include "common/AtomicFile.h"

#include "common/FileErrorText.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#else
#include <QSaveFile>
#endif

namespace {

bool fail(const QString& path, int code, QString* error)
{
    if (error)
        *error = FileErrorText::message(path, code, FileErrorText::Access::Write);
    return false;
}

} // namespace

#ifdef Q_OS_UNIX

namespace {

// The temporary name of a save of `fileName`: "." + the name + "." + six letters or digits
// (mkstemp's XXXXXX).
QByteArray temporaryPrefix(const QString& fileName)
{
    return QFile::encodeName(QStringLiteral(".") + fileName + QStringLiteral("."));
}

bool isTemporaryName(const char* entry, const QByteArray& prefix)
{
    const size_t length = std::strlen(entry);
    if (length != size_t(prefix.size()) + 6 ||
        std::strncmp(entry, prefix.constData(), size_t(prefix.size())) != 0)
        return false;
    for (size_t i = size_t(prefix.size()); i < length; ++i) {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Removes what saves of this file left when they were killed. A save under way holds a lock
// on its temporary file, so the file of another running save is left alone; a killed
// process's lock went with it.
void removeLeftTemporaries(const QString& folder, const QString& fileName)
{
    const QByteArray prefix = temporaryPrefix(fileName);
    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    std::vector<QByteArray> names;
    while (const dirent* e = ::readdir(dir)) {
        if (isTemporaryName(e->d_name, prefix))
            names.emplace_back(e->d_name);
    }
    for (const QByteArray& n : names) {
        const int fd =
            ::openat(dirFd, n.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat opened
        {
        };
        struct stat named
        {
        };
        // Only our own regular file, still under that name, that no running save holds.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, n.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(dirFd, n.constData(), 0);
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace

// Done with the system calls themselves, so that every failure keeps its error number: the
// user is told "disk full" or "no permission", not a generic failure.
bool AtomicFile::write(const QString& path, QByteArrayView data, QString* error,
                       Permissions permissions)
{
    // A link is followed: the file it names is replaced, the link stays.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink())
        target = info.symLinkTarget();
    const QByteArray name = QFile::encodeName(target);

    struct stat old
    {
    };
    const bool exists = ::stat(name.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return fail(path, EISDIR, error);
    mode_t mode = 0;
    if (permissions == Permissions::Private) {
        mode = S_IRUSR | S_IWUSR;
    } else if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const QFileInfo targetInfo(target);
    // Before writing: the leftovers may be what fills the disk.
    removeLeftTemporaries(targetInfo.absolutePath(), targetInfo.fileName());
    QByteArray temporary = QFile::encodeName(targetInfo.absolutePath() + u'/') +
                           temporaryPrefix(targetInfo.fileName()) + "XXXXXX";
    // mkstemp makes the file 0600: nobody else can read it before it is renamed.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return fail(path, errno, error);
    // Held until the file is renamed or removed: a save started meanwhile leaves it alone.
    ::flock(fd, LOCK_EX);

    const auto abandon = [&](int code) {
        ::close(fd);
        ::unlink(temporary.constData());
        return fail(path, code, error);
    };
    const char* at = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno);
        }
        at += n;
        left -= n;
    }
    // On the disk before the rename, or a crash could leave an empty file under the name.
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        return fail(path, code, error);
    }
    if (::rename(temporary.constData(), name.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        return fail(path, code, error);
    }
    return true;
}

#else

bool AtomicFile::write(const QString& path, QByteArrayView data, QString* error,
                       Permissions permissions)
{
    QSaveFile file(path);
    // A folder we may not write into must fail, never fall back to writing in place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    // Flush before commit: commit() can report success after a failed buffered write.
    if (file.write(data.data(), data.size()) != data.size() || !file.flush()) {
        const int code = errno;
        file.cancelWriting();
        return fail(path, code, error);
    }
    if (!file.commit()) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    if (permissions == Permissions::Private)
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

#endif
