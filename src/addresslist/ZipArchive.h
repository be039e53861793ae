#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

struct zip;
struct zip_file;

// A zip container read from memory with libzip, bounded against zip bombs: an entry yields at
// most MaxEntrySize bytes and at most MaxRatio times its compressed size (plus RatioSlack),
// whatever its header claims. Entries are looked up by name only; nothing is ever written to
// disk, so a name such as "../../x" is just a name that no part refers to.
class ZipArchive
{
public:
    static constexpr qint64 MaxEntrySize = qint64(2) << 30;
    static constexpr qint64 MaxRatio = 200;
    static constexpr qint64 RatioSlack = qint64(8) << 20;
    static constexpr qint64 MaxEntries = 100000;

    // Takes a copy of the bytes (shared, not duplicated), so the file may change meanwhile.
    explicit ZipArchive(const QByteArray& bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The bytes start like a zip file ("PK\3\4").
    static bool looksLikeZip(const QByteArray& bytes);

    // False when the central directory cannot be read.
    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString& name) const { return index(name) >= 0; }
    // The uncompressed size its directory entry claims (for progress only); 0 when absent.
    qint64 declaredSize(const QString& name) const;

    // One entry, read in pieces.
    class Entry
    {
    public:
        ~Entry();
        // Up to `max` bytes into `buffer`; 0 at the end, -1 when the data is broken or goes
        // over the bounds.
        qint64 read(char* buffer, qint64 max);
        bool overBounds() const { return m_overBounds; }

    private:
        friend class ZipArchive;
        Entry(zip_file* file, qint64 compressed) : m_file(file), m_compressed(compressed) {}
        zip_file* m_file;
        qint64 m_compressed;
        qint64 m_produced = 0;
        bool m_overBounds = false;
        bool m_failed = false;
    };
    // Null when there is no such entry or it cannot be opened (encrypted, unknown method).
    std::unique_ptr<Entry> open(const QString& name) const;

    // A whole small entry, at most `limit` bytes; empty and *ok false when it is missing,
    // broken or longer.
    QByteArray readAll(const QString& name, qint64 limit, bool* ok) const;

private:
    qint64 index(const QString& name) const;

    QByteArray m_bytes;
    zip* m_zip = nullptr;
};
