#pragma once

#include "common/FileContents.h"
#include "common/LargeBuffer.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// An OLE2 compound document ([MS-CFB]) read in place. A workbook of BIFF5 and later lives in
// its stream "Workbook" (BIFF8) or "Book" (BIFF5/7).
//
// Every walk is bounded by the file: a sector chain takes at most as many steps as the file has
// sectors, the directory at most as many entries as its sectors hold (and kMaxEntries), and the
// sibling tree is walked with a visited mark and no recursion. A stream whose sectors follow
// one another is handed out as a view of the file's bytes; any other is gathered once.
class CompoundDocument
{
public:
    static constexpr qsizetype kMaxEntries = 1 << 20;

    // Reads the whole file into memory.
    explicit CompoundDocument(const QString& fileName);
    // Reads bytes that the caller keeps alive for the object's lifetime.
    explicit CompoundDocument(QByteArrayView bytes);
    ~CompoundDocument();
    CompoundDocument(const CompoundDocument&) = delete;
    CompoundDocument& operator=(const CompoundDocument&) = delete;

    // The file could be read (with the file-name constructor; always true otherwise).
    bool fileReadable() const { return m_readable; }
    // The bytes of the whole file.
    QByteArrayView fileBytes() const { return m_file; }
    // The file starts with the compound-document signature.
    bool isCompound() const { return m_compound; }
    // A compound document whose header, allocation table and directory could be read.
    bool isOpen() const { return m_open; }
    // A compound document with a header that cannot be used, or a directory cut short.
    bool isDamaged() const { return m_compound && (!m_open || m_directoryShort); }

    // Names of the streams and storages at the top level, in directory order.
    QStringList entryNames() const;

    struct Stream
    {
        QByteArrayView bytes;
        // False when the sectors end before the size the directory gives (a cut or broken
        // file): `bytes` then holds what was there.
        bool complete = true;
        // The bytes are a view of the file, not a gathered copy.
        bool inPlace = false;
    };
    // The workbook stream: "Workbook", else "Book", names compared in any letter case.
    // Nothing when the document has neither. Valid while this object lives.
    std::optional<Stream> workbookStream();
    // A top-level stream by name (any letter case).
    std::optional<Stream> stream(const QString& name);

private:
    struct Entry
    {
        QString name;
        quint32 index = 0;
    };

    void open();
    QByteArrayView sector(quint32 id) const;
    quint32 fatNext(quint32 id) const;
    std::vector<quint32> chain(quint32 start, qsizetype limit, bool* broken) const;
    QByteArrayView entry(quint32 index) const;
    std::vector<Entry> rootChildren() const;
    std::optional<Stream> readEntry(quint32 index);

    std::unique_ptr<FileContents> m_contents;
    QByteArrayView m_file;
    bool m_readable = true;
    bool m_compound = false;
    bool m_open = false;
    bool m_directoryShort = false;
    int m_sectorShift = 9;
    int m_miniShift = 6;
    int m_majorVersion = 3;
    quint32 m_miniCutoff = 4096;
    quint32 m_sectorCount = 0;
    quint32 m_firstMiniFat = 0;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_directory; // sectors of the directory, in order
    qsizetype m_entryCount = 0;
    std::vector<LargeBuffer> m_gathered;
};
