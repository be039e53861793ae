#pragma once

#include <QByteArrayView>

// A byte buffer for whole files and streams of tens of megabytes, mapped and populated in one
// call: filling it then costs no page fault for every 4 KiB.
class LargeBuffer
{
public:
    LargeBuffer() = default;
    // Room for `capacity` bytes; size() starts at 0. An impossible size leaves capacity() 0.
    explicit LargeBuffer(qsizetype capacity);
    ~LargeBuffer();
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    char* data() { return m_data; }
    qsizetype size() const { return m_size; }
    qsizetype capacity() const { return m_capacity; }
    // Grows or shrinks the used part within the capacity; false when it does not fit.
    bool resize(qsizetype size);
    QByteArrayView view() const { return QByteArrayView(m_data, m_size); }

private:
    void release();

    char* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};
