#pragma once

// Reading the expected-cell files that sit beside each corpus workbook.

#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>


// Texts of the expected files: \\ \t \n \r and \uXXXX escapes.
inline QString unescape(const QString& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        const QChar e = s[++i];
        if (e == u't')
            out += u'\t';
        else if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u'u') {
            out += QChar(char16_t(s.mid(i + 1, 4).toUInt(nullptr, 16)));
            i += 4;
        } else
            out += e;
    }
    return out;
}

// A number text as Python's %.15g writes it ("1e+20") in our form ("1E20").
inline QString normalizedNumber(QString s)
{
    s = s.toUpper().replace(QStringLiteral("E+"), QStringLiteral("E"));
    s.replace(QStringLiteral("E-0"), QStringLiteral("E-"));
    while (s.contains(QStringLiteral("E0")))
        s.replace(QStringLiteral("E0"), QStringLiteral("E"));
    return s;
}

inline bool sameNumber(const QString& ours, const QString& expected)
{
    if (normalizedNumber(ours) == normalizedNumber(expected))
        return true;
    bool okA = false, okB = false;
    const double a = ours.toDouble(&okA);
    const double b = expected.toDouble(&okB);
    return okA && okB && std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

inline QString testData(const QString& name)
{
    return QStringLiteral(TAYORI_TESTDATA "/xls/") + name;
}

inline QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

