#include "common/AtomicFile.h"

#include "common/FileErrorText.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
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

// Done with the system calls themselves, so that every failure keeps its error number: the
// user is told "disk full" or "no permission", not a generic failure.
bool AtomicFile::write(const QString& path, QByteArrayView data, QString* error)
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
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const QFileInfo targetInfo(target);
    QByteArray temporary = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.") +
                                             targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return fail(path, errno, error);

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

bool AtomicFile::write(const QString& path, QByteArrayView data, QString* error)
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
    return true;
}

#endif
