#include "addresslist/CompoundDocument.h"

#include <QFile>
#include <QFileInfo>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <mutex>

namespace {

void initGsfOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

} // namespace

CompoundDocument::CompoundDocument(const QString& fileName)
{
    initGsfOnce();
    GError* error = nullptr;
    m_fileSize = QFileInfo(fileName).size();
    const QByteArray name = QFile::encodeName(fileName);
    GsfInput* input = gsf_input_stdio_new(name.constData(), &error);
    if (!input) {
        m_error = error ? QString::fromUtf8(error->message) : QStringLiteral("cannot open file");
        if (error)
            g_error_free(error);
        return;
    }
    m_infile = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (!m_infile) {
        m_error = QStringLiteral("not a compound document");
        if (error)
            g_error_free(error);
    }
}

CompoundDocument::~CompoundDocument()
{
    if (m_infile)
        g_object_unref(m_infile);
}

QStringList CompoundDocument::entryNames() const
{
    QStringList names;
    if (!m_infile)
        return names;
    const int count = gsf_infile_num_children(m_infile);
    for (int i = 0; i < count; ++i)
        if (const char* name = gsf_infile_name_by_index(m_infile, i))
            names.append(QString::fromUtf8(name));
    return names;
}

std::optional<LargeBuffer> CompoundDocument::workbookStream(bool* unreadable) const
{
    if (unreadable)
        *unreadable = false;
    const QStringList names = entryNames();
    for (const QString& wanted : {QStringLiteral("Workbook"), QStringLiteral("Book")}) {
        for (int i = 0; i < names.size(); ++i) {
            if (names[i].compare(wanted, Qt::CaseInsensitive) != 0 || !isStream(i))
                continue;
            std::optional<LargeBuffer> bytes = readStream(i);
            if (!bytes && unreadable)
                *unreadable = true;
            return bytes;
        }
    }
    return std::nullopt;
}

bool CompoundDocument::isStream(int index) const
{
    GsfInput* child = gsf_infile_child_by_index(m_infile, index);
    if (!child)
        return false;
    // A storage (folder) counts its children; a stream answers -1.
    const bool stream = !GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0;
    g_object_unref(child);
    return stream;
}

std::optional<LargeBuffer> CompoundDocument::readStream(int index) const
{
    GsfInput* stream = gsf_infile_child_by_index(m_infile, index);
    if (!stream)
        return std::nullopt;
    // The size in the directory is only a claim until the sectors are there; the stream lies
    // inside the file, so no true size is larger than the file.
    const qsizetype claimed = qsizetype(std::max<gsf_off_t>(gsf_input_size(stream), 0));
    LargeBuffer bytes(std::min(claimed, m_fileSize));
    bool whole = bytes.capacity() == claimed || claimed == 0;
    constexpr gsf_off_t piece = 1 << 16;
    while (whole && gsf_input_remaining(stream) > 0) {
        const gsf_off_t n = std::min(piece, gsf_input_remaining(stream));
        const qsizetype at = bytes.size();
        if (!bytes.resize(at + qsizetype(n)) ||
            !gsf_input_read(stream, size_t(n), reinterpret_cast<guint8*>(bytes.data() + at)))
            whole = false;
    }
    g_object_unref(stream);
    if (!whole)
        return std::nullopt;
    return bytes;
}
