#include "common/FieldText.h"

#include "common/cp932.h"

namespace {

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

QByteArrayView trimBlanks(QByteArrayView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

void setStatus(NthFieldStatus* status, NthFieldStatus value)
{
    if (status)
        *status = value;
}

QByteArrayView stripQuotes(QByteArrayView text)
{
    QByteArrayView s = text;
    if (s.size() >= 2 && s.startsWith('"') && s.endsWith('"'))
        s = s.sliced(1, s.size() - 2);
    if (s.size() < 2)
        return text;
    if (s.startsWith('\'') && s.endsWith('\''))
        s = s.sliced(1, s.size() - 2);
    return s;
}

} // namespace

QByteArray StripFieldQuotes(const QByteArray& text)
{
    return stripQuotes(text).toByteArray();
}

QByteArray NthField(const QByteArray& text, int n, NthFieldStatus* status)
{
    setStatus(status, NthFieldStatus::Found);
    if (text.isEmpty() || stripQuotes(text).isEmpty()) {
        setStatus(status, NthFieldStatus::EmptyText);
        return {};
    }
    if (!text.contains(',')) {
        if (n <= 1)
            return text;
        setStatus(status, NthFieldStatus::NoSuchField);
        return {};
    }
    // Field n never comes for n < 1; an unclosed quote consumes nothing, so stop at once
    // rather than walk the text forever.
    if (n < 1) {
        setStatus(status, NthFieldStatus::NoSuchField);
        return {};
    }

    QByteArrayView rest(text);
    qsizetype p = rest.indexOf(',');
    for (int i = 1;; ++i) {
        QByteArrayView field;
        const char quote = rest.size() > 1 ? rest[0] : '\0';
        if (quote == '"' || quote == '\'') {
            const qsizetype close = rest.indexOf(quote, 1);
            if (close >= 0) {
                field = trimBlanks(rest.sliced(1, close - 1));
                rest = trimBlanks(rest.sliced(close + 1));
                const qsizetype least = quote == '"' ? 2 : 1;
                if (rest.size() >= least && rest.startsWith(','))
                    rest = trimBlanks(rest.sliced(1));
            }
        } else {
            field = trimBlanks(rest.first(p));
            rest = trimBlanks(rest.sliced(p + 1));
        }

        if (i == n)
            return stripQuotes(field).toByteArray();

        p = rest.indexOf(',');
        if (p < 0) {
            if (i + 1 == n) {
                if (rest.isEmpty())
                    setStatus(status, NthFieldStatus::NoSuchField);
                return stripQuotes(rest).toByteArray();
            }
            setStatus(status, NthFieldStatus::NoSuchField);
            return {};
        }
    }
}

int FieldCount(const QByteArray& text)
{
    if (trimBlanks(text).isEmpty())
        return 0;
    // An unclosed quote makes every later field "found" (empty); no text has more fields
    // than commas + 1, so stop there instead of reading forever.
    const int limit = int(text.count(',')) + 2;
    int reads = 0;
    NthFieldStatus status = NthFieldStatus::Found;
    while (status == NthFieldStatus::Found && reads < limit)
        NthField(text, ++reads, &status);
    int count = reads - 1;
    if (!text.endsWith(','))
        --count;
    return count;
}

QString NthField(const QString& text, int n, NthFieldStatus* status)
{
    return cp932::toUnicode(NthField(cp932::fromUnicode(text), n, status));
}

QString StripFieldQuotes(const QString& text)
{
    return cp932::toUnicode(StripFieldQuotes(cp932::fromUnicode(text)));
}

int FieldCount(const QString& text)
{
    return FieldCount(cp932::fromUnicode(text));
}

QString QuoteField(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("\" \"");
    for (QChar c : text) {
        if (c == u'"')
            return u'\'' + text + u'\'';
        if (c == u' ' || c == u',' || c == u'\t' || c == u'\'')
            return u'"' + text + u'"';
    }
    return text;
}
