#include "print/PdfPageSize.h"

#include "common/AtomicFile.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

namespace PdfPageSize {

namespace {
QByteArray number(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 4);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

struct Replacement
{
    qsizetype at;
    qsizetype length;
    QByteArray text;
};
} // namespace

QSizeF exactPoints(const QPageLayout& layout)
{
    const QPageSize size = layout.pageSize();
    QSizeF points = size.definitionSize();
    switch (size.definitionUnits()) {
    case QPageSize::Millimeter:
        points *= 72.0 / 25.4;
        break;
    case QPageSize::Inch:
        points *= 72.0;
        break;
    case QPageSize::Point:
        break;
    default:
        points = size.size(QPageSize::Point);
        break;
    }
    return layout.orientation() == QPageLayout::Landscape ? points.transposed() : points;
}

bool setExact(const QString& path, const QSizeF& points)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray pdf = file.readAll();
    file.close();

    // The boxes as the writer puts them: "/MediaBox [0 0 284 419]". The top edge stays (the
    // writer draws from it down), the others move to the exact size.
    static const QRegularExpression box(
        QStringLiteral(R"(/(MediaBox|TrimBox|CropBox) \[0 0 ([0-9.]+) ([0-9.]+)\])"));
    QList<Replacement> replacements;
    const QString text = QString::fromLatin1(pdf);
    for (auto it = box.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double top = m.captured(3).toDouble();
        const QByteArray exact = '/' + m.captured(1).toLatin1() + " [0 " +
                                 number(top - points.height()) + ' ' + number(points.width()) +
                                 ' ' + m.captured(3).toLatin1() + ']';
        replacements.append({m.capturedStart(), m.capturedLength(), exact});
    }
    const qsizetype xref = pdf.lastIndexOf("\nxref\n");
    const qsizetype startxref = pdf.lastIndexOf("startxref\n");
    if (replacements.isEmpty() || xref < 0 || startxref < xref)
        return false;

    const auto shifted = [&replacements](qsizetype offset) {
        qsizetype result = offset;
        for (const Replacement& r : replacements)
            if (r.at < offset)
                result += r.text.size() - r.length;
        return result;
    };

    QByteArray out;
    out.reserve(pdf.size() + replacements.size() * 16);
    qsizetype from = 0;
    for (const Replacement& r : replacements) {
        out += pdf.mid(from, r.at - from);
        out += r.text;
        from = r.at + r.length;
    }
    out += pdf.mid(from);

    // The cross-reference table: one subsection "0 N", then N entries of 20 bytes.
    qsizetype at = shifted(xref + 1) + 5; // past "xref\n"
    const qsizetype lineEnd = out.indexOf('\n', at);
    const QList<QByteArray> header = out.mid(at, lineEnd - at).trimmed().split(' ');
    if (lineEnd < 0 || header.size() != 2)
        return false;
    bool ok = false;
    const int count = header[1].toInt(&ok);
    if (!ok)
        return false;
    at = lineEnd + 1;
    for (int i = 0; i < count; ++i, at += 20) {
        if (at + 20 > out.size() || out[at + 17] != 'n')
            continue;
        const qsizetype offset = out.mid(at, 10).toLongLong(&ok);
        if (!ok)
            return false;
        out.replace(at, 10, QByteArray::number(shifted(offset)).rightJustified(10, '0'));
    }
    const qsizetype startAt = out.lastIndexOf("startxref\n") + 10;
    const qsizetype startEnd = out.indexOf('\n', startAt);
    if (startEnd < 0)
        return false;
    out.replace(startAt, startEnd - startAt, QByteArray::number(shifted(xref + 1)));

    return AtomicFile::write(path, out);
}

} // namespace PdfPageSize
