#include "addresslist/ZipArchive.h"

#include <zip.h>

ZipArchive::ZipArchive(const QByteArray& bytes) : m_bytes(bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (source) {
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip)
            zip_source_free(source);
    }
    zip_error_fini(&error);
    if (m_zip && zip_get_num_entries(m_zip, 0) > MaxEntries) {
        zip_discard(m_zip);
        m_zip = nullptr;
    }
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipArchive::looksLikeZip(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArrayLiteral("PK\x03\x04"));
}

qint64 ZipArchive::index(const QString& name) const
{
    if (!m_zip || name.isEmpty())
        return -1;
    const QByteArray utf8 = name.toUtf8();
    zip_int64_t i = zip_name_locate(m_zip, utf8.constData(), ZIP_FL_ENC_RAW);
    if (i < 0) // some writers differ in letter case from the names their parts refer to
        i = zip_name_locate(m_zip, utf8.constData(), ZIP_FL_ENC_RAW | ZIP_FL_NOCASE);
    return i;
}

qint64 ZipArchive::declaredSize(const QString& name) const
{
    const qint64 i = index(name);
    zip_stat_t st;
    if (i < 0 || zip_stat_index(m_zip, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return 0;
    return qint64(qMin<zip_uint64_t>(st.size, zip_uint64_t(MaxEntrySize)));
}

std::unique_ptr<ZipArchive::Entry> ZipArchive::open(const QString& name) const
{
    const qint64 i = index(name);
    if (i < 0)
        return nullptr;
    zip_stat_t st;
    if (zip_stat_index(m_zip, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_COMP_SIZE))
        return nullptr;
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(i), 0);
    if (!file)
        return nullptr;
    return std::unique_ptr<Entry>(new Entry(file, qint64(st.comp_size)));
}

ZipArchive::Entry::~Entry()
{
    zip_fclose(m_file);
}

qint64 ZipArchive::Entry::read(char* buffer, qint64 max)
{
    if (m_failed)
        return -1;
    const zip_int64_t n = zip_fread(m_file, buffer, zip_uint64_t(max));
    if (n < 0) {
        m_failed = true;
        return -1;
    }
    m_produced += n;
    // A bomb shows itself by what comes out, not by what its header says.
    if (m_produced > MaxEntrySize || m_produced > m_compressed * MaxRatio + RatioSlack) {
        m_overBounds = true;
        m_failed = true;
        return -1;
    }
    return n;
}

QByteArray ZipArchive::readAll(const QString& name, qint64 limit, bool* ok) const
{
    *ok = false;
    const std::unique_ptr<Entry> entry = open(name);
    if (!entry)
        return {};
    QByteArray out;
    char buffer[65536];
    for (;;) {
        const qint64 n = entry->read(buffer, sizeof buffer);
        if (n < 0 || out.size() + n > limit)
            return {};
        if (n == 0)
            break;
        out.append(buffer, n);
    }
    *ok = true;
    return out;
}
