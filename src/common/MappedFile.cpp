#include "common/MappedFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

MappedFile::MappedFile(const QString& fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (info.st_size == 0) {
            m_open = true;
        } else {
            // Populated at once: the readers go through every page anyway, and one call is
            // cheaper than a fault per page. A file far larger than any list is left to faults.
            constexpr off_t populateUpTo = off_t(256) << 20;
            const int flags = MAP_PRIVATE | (info.st_size <= populateUpTo ? MAP_POPULATE : 0);
            void* p = ::mmap(nullptr, size_t(info.st_size), PROT_READ, flags, fd, 0);
            if (p != MAP_FAILED) {
                m_data = static_cast<const char*>(p);
                m_size = qsizetype(info.st_size);
                m_open = true;
            }
        }
    }
    ::close(fd);
}

MappedFile::~MappedFile()
{
    if (m_data)
        ::munmap(const_cast<char*>(m_data), size_t(m_size));
}
