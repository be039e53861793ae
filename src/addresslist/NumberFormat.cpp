#include "addresslist/NumberFormat.h"

#include <QList>

#include <cmath>

namespace numberformat {
namespace {

struct Section
{
    QString condition; // "<=", "<", ">", ">=", "=", "<>" or empty
    double bound = 0;
    QString pattern; // '0' for a digit, anything else a literal
    bool valid = true;
};

bool holds(const Section& s, double v)
{
    const QString& op = s.condition;
    if (op == u"<=")
        return v <= s.bound;
    if (op == u"<")
        return v < s.bound;
    if (op == u">=")
        return v >= s.bound;
    if (op == u">")
        return v > s.bound;
    if (op == u"=")
        return v == s.bound;
    if (op == u"<>")
        return v != s.bound;
    return true;
}

// One section: an optional condition, locale tags, then digits and hyphens (bare, escaped or
// quoted). Anything else makes it a format we leave alone.
Section parseSection(QStringView text)
{
    Section s;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'[') {
            const qsizetype close = text.indexOf(u']', i);
            if (close < 0) {
                s.valid = false;
                return s;
            }
            const QStringView inner = text.sliced(i + 1, close - i - 1);
            if (inner.startsWith(u'$')) {
                // a locale tag such as [$-411]: no effect on digits
            } else {
                qsizetype n = 0;
                while (n < inner.size() && QStringView(u"<>=").contains(inner[n]))
                    ++n;
                bool ok = false;
                s.bound = inner.sliced(n).toString().toDouble(&ok);
                if (n == 0 || !ok || !s.condition.isEmpty()) {
                    s.valid = false;
                    return s;
                }
                s.condition = inner.first(n).toString();
            }
            i = close + 1;
        } else if (c == u'0' || c == u'-') {
            s.pattern += c;
            ++i;
        } else if (c == u'\\' && i + 1 < text.size() && text[i + 1] == u'-') {
            s.pattern += u'-';
            i += 2;
        } else if (c == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const QStringView literal =
                close < 0 ? QStringView() : text.sliced(i + 1, close - i - 1);
            if (close < 0 || literal.isEmpty() || literal.count(u'-') != literal.size()) {
                s.valid = false;
                return s;
            }
            s.pattern += literal;
            i = close + 1;
        } else {
            s.valid = false;
            return s;
        }
    }
    if (!s.pattern.contains(u'0'))
        s.valid = false;
    return s;
}

// Digits fill the placeholders from the right; digits beyond them go before the first.
QString render(const QString& pattern, const QString& digits)
{
    const qsizetype placeholders = pattern.count(u'0');
    QString padded = digits;
    if (padded.size() < placeholders)
        padded = QString(placeholders - padded.size(), u'0') + padded;
    QString out;
    qsizetype next = padded.size();
    qsizetype seen = 0;
    for (qsizetype i = pattern.size() - 1; i >= 0; --i) {
        if (pattern[i] != u'0') {
            out.prepend(pattern[i]);
            continue;
        }
        ++seen;
        if (seen == placeholders) {
            out.prepend(padded.first(next));
            next = 0;
        } else {
            out.prepend(padded[--next]);
        }
    }
    return out;
}

} // namespace

std::optional<QString> addressText(QStringView formatCode, double value)
{
    if (!(value >= 0 && value < 1e15) || value != std::floor(value))
        return std::nullopt;

    QList<Section> sections;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype i = 0; i <= formatCode.size(); ++i) {
        if (i < formatCode.size() && formatCode[i] == u'"')
            quoted = !quoted;
        if (i == formatCode.size() || (!quoted && formatCode[i] == u';')) {
            sections << parseSection(formatCode.sliced(start, i - start));
            start = i + 1;
        }
    }
    if (sections.isEmpty() || sections.size() > 4)
        return std::nullopt;

    const Section* chosen = nullptr;
    if (sections.first().condition.isEmpty()) {
        // positive; negative; zero; text
        chosen = value == 0 && sections.size() >= 3 ? &sections[2] : &sections[0];
    } else {
        // Excel's conditional sections: the first whose condition holds, the last otherwise.
        for (qsizetype i = 0; i < sections.size() && i < 3 && !chosen; ++i)
            if (holds(sections[i], value) || i == qMin<qsizetype>(sections.size(), 3) - 1)
                chosen = &sections[i];
    }
    if (!chosen || !chosen->valid || !holds(*chosen, value))
        return std::nullopt;
    return render(chosen->pattern, QString::number(qint64(value)));
}

} // namespace numberformat
