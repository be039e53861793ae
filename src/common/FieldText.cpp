#include "common/FieldText.h"

namespace {

QByteArrayView trimmed(QByteArrayView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && quint8(s[b]) <= 0x20)
        ++b;
    while (e > b && quint8(s[e - 1]) <= 0x20)
        --e;
    return s.sliced(b, e - b);
}

QByteArrayView stripFieldQuotes(QByteArrayView text)
{
    QByteArrayView s = text;
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
        s = s.sliced(1, s.size() - 2);
        if (s.size() < 2)
            return text;
    }
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'')
        s = s.sliced(1, s.size() - 2);
    return s;
}

// Walks the fields of a comma-separated text from the front, one cut at a time. Views only:
// the header row and settings values are read field by field, and copying the rest after
// every field would make long texts quadratic.
struct FieldCursor
{
    QByteArrayView rest;
    // An unclosed quote opens the rest: the reader then cuts an empty field without consuming
    // anything, so this field and every later one are empty.
    bool stuck = false;

    QByteArrayView cut()
    {
        if (rest.size() > 1 && (rest[0] == '"' || rest[0] == '\''))
            return cutQuoted(rest[0]);
        const qsizetype p = rest.indexOf(',');
        const QByteArrayView field = trimmed(rest.first(p < 0 ? 0 : p));
        rest = trimmed(rest.sliced(p + 1));
        return field;
    }

    QByteArrayView cutQuoted(char quote)
    {
        const qsizetype close = rest.sliced(1).indexOf(quote);
        if (close < 0) {
            stuck = true;
            return {};
        }
        const QByteArrayView field = trimmed(rest.sliced(1, close));
        rest = trimmed(rest.sliced(close + 2));
        // After a double-quoted field a lone "," stays (it then reads as one more empty
        // field); after a single-quoted one it always goes.
        const bool dropComma = quote == '"' ? rest.size() > 1 : !rest.isEmpty();
        if (dropComma && rest.front() == ',')
            rest = trimmed(rest.sliced(1));
        return field;
    }

    bool restHasComma() const { return rest.contains(','); }
};

bool hasNoFields(QByteArrayView text)
{
    return text.isEmpty() || stripFieldQuotes(text).isEmpty();
}

} // namespace

QByteArray StripFieldQuotes(const QByteArray& text)
{
    return stripFieldQuotes(text).toByteArray();
}

NthFieldResult NthField(const QByteArray& text, int n)
{
    NthFieldResult result;
    if (hasNoFields(text)) {
        result.status = NthFieldResult::EmptyText;
        return result;
    }
    if (!text.contains(',')) {
        if (n <= 1)
            result.field = text;
        else
            result.status = NthFieldResult::NoSuchField;
        return result;
    }
    if (n < 1) {
        result.status = NthFieldResult::NoSuchField;
        return result;
    }
    FieldCursor cursor{text};
    for (int i = 1;; ++i) {
        const QByteArrayView field = cursor.cut();
        if (cursor.stuck)
            return result; // empty, found, for this field and every later one
        if (i == n) {
            result.field = stripFieldQuotes(field).toByteArray();
            return result;
        }
        if (!cursor.restHasComma()) {
            if (i + 1 == n && !cursor.rest.isEmpty())
                result.field = stripFieldQuotes(cursor.rest).toByteArray();
            else
                result.status = NthFieldResult::NoSuchField;
            return result;
        }
    }
}

QList<QByteArray> LeadingFields(const QByteArray& text, int maxFields)
{
    QList<QByteArray> fields;
    if (maxFields < 1 || hasNoFields(text))
        return fields;
    if (!text.contains(',')) {
        fields << text;
        return fields;
    }
    FieldCursor cursor{text};
    while (fields.size() < maxFields) {
        const QByteArrayView field = cursor.cut();
        if (cursor.stuck)
            break;
        fields << stripFieldQuotes(field).toByteArray();
        if (!cursor.restHasComma()) {
            if (!cursor.rest.isEmpty() && fields.size() < maxFields)
                fields << stripFieldQuotes(cursor.rest).toByteArray();
            break;
        }
    }
    return fields;
}

int FieldCount(const QByteArray& text)
{
    if (trimmed(text).isEmpty())
        return 0;
    // The number of reads of NthField(text, 1), (text, 2), ... up to the first that fails.
    int reads = 0;
    if (hasNoFields(text)) {
        reads = 1;
    } else if (!text.contains(',')) {
        reads = 2;
    } else {
        FieldCursor cursor{text};
        for (int i = 1;; ++i) {
            cursor.cut();
            if (cursor.stuck) {
                // Every later read would succeed for ever: the count goes on to the last
                // comma, as if the unclosed quote had not swallowed the commas after it.
                reads = qMax(i + 1, int(text.count(',')) + 2);
                break;
            }
            if (!cursor.restHasComma()) {
                reads = cursor.rest.isEmpty() ? i + 1 : i + 2;
                break;
            }
        }
    }
    int count = reads - 1;
    if (!text.endsWith(','))
        --count;
    return count;
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
