#include "common/LargeBuffer.h"

#include <sys/mman.h>

#include <utility>

LargeBuffer::LargeBuffer(qsizetype capacity)
{
    if (capacity <= 0)
        return;
    void* p =
        mmap(nullptr, size_t(capacity), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return;
#ifdef MADV_HUGEPAGE
    madvise(p, size_t(capacity), MADV_HUGEPAGE);
#endif
    m_data = static_cast<char*>(p);
    m_capacity = capacity;
}

LargeBuffer::~LargeBuffer()
{
    release();
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

bool LargeBuffer::resize(qsizetype size)
{
    if (size < 0 || size > m_capacity)
        return false;
    m_size = size;
    return true;
}

void LargeBuffer::release()
{
    if (m_data)
        munmap(m_data, size_t(m_capacity));
    m_data = nullptr;
    m_size = m_capacity = 0;
}
