#include "common/FileContents.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileContents::FileContents(const QString& fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        m_open = true;
        if (info.st_size > 0) {
            m_buffer = LargeBuffer(qsizetype(info.st_size));
            m_open = m_buffer.capacity() == qsizetype(info.st_size);
        }
        // Up to the size seen at the start: bytes written later belong to another version of
        // the file, and a file cut meanwhile simply ends early.
        qsizetype done = 0;
        while (m_open && done < m_buffer.capacity()) {
            const ssize_t n = ::pread(fd, m_buffer.data() + done,
                                      size_t(m_buffer.capacity() - done), off_t(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_open = false;
            if (n <= 0)
                break;
            done += n;
        }
        m_buffer.resize(done);
    }
    ::close(fd);
}
