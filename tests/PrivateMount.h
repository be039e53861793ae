#pragma once

// Runs a piece of the program against a full disk or a read-only folder, for real: a child
// process gets its own mount namespace (as root, or through a user namespace where those are
// allowed to everyone), mounts a tiny tmpfs there and calls the function with its path. Nothing
// outside the child sees the mount, and it goes with the child.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <optional>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace PrivateMount {

enum class Kind
{
    FullDisk, // a tmpfs of 64 KiB whose every block is taken by a filler file
    ReadOnly  // a read-only tmpfs
};

// The function gets the mounted folder (with the files `prepare` made there before a
// read-only remount) and returns a text; that text comes back here. Nothing when the system
// does not let this process make a private mount (the caller skips).
inline std::optional<QString> run(Kind kind, const std::function<void(const QString&)>& prepare,
                                  const std::function<QString(const QString&)>& body)
{
#ifdef Q_OS_LINUX
    char folderTemplate[] = "/tmp/tayori-mount-XXXXXX";
    if (!mkdtemp(folderTemplate))
        return std::nullopt;
    const QString folder = QString::fromLocal8Bit(folderTemplate);
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;

    const pid_t child = fork();
    if (child == 0) {
        ::close(fds[0]);
        const auto answer = [&](char status, const QByteArray& text) {
            const QByteArray reply = status + text;
            if (::write(fds[1], reply.constData(), size_t(reply.size())) < 0)
                ::_exit(1);
            ::_exit(0);
        };
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (uid != 0) {
            // One thread only after fork(), as a new user namespace requires.
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                answer('n', {});
            const auto put = [](const char* file, const QByteArray& text) {
                const int fd = ::open(file, O_WRONLY);
                const bool ok = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) ==
                                               ssize_t(text.size());
                if (fd >= 0)
                    ::close(fd);
                return ok;
            };
            put("/proc/self/setgroups", "deny");
            if (!put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
                !put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
                answer('n', {});
        } else if (unshare(CLONE_NEWNS) != 0) {
            answer('n', {});
        }
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folderTemplate, "tmpfs", 0, "size=64k,mode=0777") != 0)
            answer('n', {});
        if (prepare)
            prepare(folder);
        if (kind == Kind::ReadOnly) {
            if (mount("tmpfs", folderTemplate, nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
                answer('n', {});
        } else {
            // Fill every block that is left.
            const QByteArray filler = QFile::encodeName(folder + QStringLiteral("/filler"));
            const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT, 0644);
            const QByteArray block(4096, 'x');
            while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
            }
            while (fd >= 0 && ::write(fd, block.constData(), 1) > 0) {
            }
            if (fd >= 0)
                ::close(fd);
        }
        answer('y', body(folder).toUtf8());
    }
    ::close(fds[1]);
    QByteArray reply;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        reply.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ::rmdir(folderTemplate);
    if (reply.isEmpty() || reply[0] != 'y')
        return std::nullopt;
    return QString::fromUtf8(reply.mid(1));
#else
    (void)kind;
    (void)prepare;
    (void)body;
    return std::nullopt;
#endif
}

} // namespace PrivateMount
