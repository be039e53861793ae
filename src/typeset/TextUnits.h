#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// A text cut into the units a run measures, draws and places one by one: one UTF-16 code
// unit each, except that a surrogate pair stays together as one unit (a character outside
// the BMP is one glyph and one cell, never two halves).
class TextUnits
{
public:
    TextUnits() = default;
    explicit TextUnits(QString text);

    const QString& text() const { return m_text; }
    int count() const { return int(m_starts.size()); }
    bool isEmpty() const { return m_starts.isEmpty(); }

    QStringView at(int i) const;
    // Where unit i starts in the text, in UTF-16 code units.
    qsizetype position(int i) const { return m_starts.at(i); }
    // The unit holding UTF-16 position `pos` (count() at or past the end).
    int unitAt(qsizetype pos) const;

    // Half-width units are turned 90 degrees clockwise in a vertical run: code points below
    // U+0100 and the half-width katakana U+FF61-U+FF9F. Everything else stands upright.
    static bool isHalfWidth(QStringView unit);
    // The code point of a unit (a lone surrogate is U+FFFD).
    static char32_t codePoint(QStringView unit);

private:
    QString m_text;
    QList<qsizetype> m_starts;
};
