#pragma once

// Reads a PDF back as poppler's pdftotext finds it: every page's size and its words with
// their boxes.

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>

#include <algorithm>

namespace PdfText {

constexpr double PointsPerMm = 72.0 / 25.4;

struct Word
{
    QString text;
    QRectF box; // millimetres from the page's top-left corner
    friend bool operator==(const Word&, const Word&) = default;
};

struct Page
{
    QSizeF points;
    QList<Word> words;
    friend bool operator==(const Page&, const Page&) = default;

    bool has(const QString& text) const
    {
        return std::any_of(words.begin(), words.end(),
                           [&](const Word& w) { return w.text == text; });
    }
};

inline bool Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

inline QList<Page> ReadPages(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")});
    process.waitForFinished(60000);
    const QString xml = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression page(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Page> pages;
    qsizetype at = xml.indexOf(page);
    while (at >= 0) {
        const QRegularExpressionMatch size = page.match(xml, at);
        const qsizetype next = xml.indexOf(page, size.capturedEnd());
        Page p;
        p.points = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
        const QString body = xml.mid(size.capturedEnd(), next < 0 ? -1 : next - size.capturedEnd());
        for (const QRegularExpressionMatch& m : word.globalMatch(body)) {
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            p.words.append(
                {m.captured(5), QRectF(topLeft / PointsPerMm, bottomRight / PointsPerMm)});
        }
        pages.append(p);
        at = next;
    }
    return pages;
}

} // namespace PdfText
