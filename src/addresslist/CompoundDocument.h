#pragma once

#include "common/LargeBuffer.h"
#include <QByteArray>

#include <QString>
#include <QStringList>

#include <optional>

typedef struct _GsfInfile GsfInfile;

// An OLE2 compound document opened for reading. A workbook of BIFF5 and later lives in its
// stream "Workbook" (BIFF8) or "Book" (BIFF5/7).
class CompoundDocument
{
public:
    explicit CompoundDocument(const QString& fileName);
    ~CompoundDocument();
    CompoundDocument(const CompoundDocument&) = delete;
    CompoundDocument& operator=(const CompoundDocument&) = delete;

    // False when the file could not be read as a compound document; errorString() says why.
    bool isOpen() const { return m_infile != nullptr; }
    QString errorString() const { return m_error; }

    // Names of the streams and storages at the top level.
    QStringList entryNames() const;

    // The bytes of the workbook stream: "Workbook", else "Book", names compared in any letter
    // case. Nothing when the document has neither, or when the stream cannot be read whole
    // (then *unreadable is set).
    std::optional<LargeBuffer> workbookStream(bool* unreadable = nullptr) const;

private:
    bool isStream(int index) const;
    std::optional<LargeBuffer> readStream(int index) const;

    GsfInfile* m_infile = nullptr;
    QString m_error;
    qsizetype m_fileSize = 0;
};
