#pragma once

#include <QByteArrayView>
#include <QString>

// A whole file mapped read-only, so readers can hand out views of its bytes instead of copies.
class MappedFile
{
public:
    explicit MappedFile(const QString& fileName);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False when the file cannot be opened for reading or is not a regular file.
    bool isOpen() const { return m_open; }
    QByteArrayView bytes() const { return QByteArrayView(m_data, m_size); }

private:
    const char* m_data = nullptr;
    qsizetype m_size = 0;
    bool m_open = false;
};
