#include "common/FieldText.h"

namespace {

QByteArray trimmed(const QByteArray& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && quint8(s[b]) <= 0x20)
        ++b;
    while (e > b && quint8(s[e - 1]) <= 0x20)
        --e;
    return s.mid(b, e - b);
}

// Cuts the quoted field that opens `rest` when its quote is closed; returns false otherwise.
bool cutQuoted(QByteArray& rest, char quote, QByteArray& field)
{
    const qsizetype close = rest.indexOf(quote, 1);
    if (close < 0)
        return false;
    field = trimmed(rest.mid(1, close - 1));
    rest = trimmed(rest.mid(close + 1));
    const bool dropComma = quote == '"' ? rest.size() > 1 : !rest.isEmpty();
    if (dropComma && rest.startsWith(','))
        rest = trimmed(rest.mid(1));
    return true;
}

} // namespace

QByteArray StripFieldQuotes(const QByteArray& text)
{
    QByteArray s = text;
    if (s.size() >= 2 && s.startsWith('"') && s.endsWith('"')) {
        s = s.mid(1, s.size() - 2);
        if (s.size() < 2)
            return text;
    }
    if (s.size() >= 2 && s.startsWith('\'') && s.endsWith('\''))
        s = s.mid(1, s.size() - 2);
    return s;
}

NthFieldResult NthField(const QByteArray& text, int n)
{
    NthFieldResult result;
    if (text.isEmpty() || StripFieldQuotes(text).isEmpty()) {
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
    QByteArray rest = text;
    for (int i = 1;; ++i) {
        QByteArray field;
        const bool quoted = rest.size() > 1 && (rest[0] == '"' || rest[0] == '\'');
        if (quoted) {
            // An unclosed quote gives an empty field and consumes nothing, so every later
            // field is empty too.
            if (!cutQuoted(rest, rest[0], field) && rest.contains(','))
                return result;
        } else {
            const qsizetype p = rest.indexOf(',');
            field = trimmed(rest.left(p < 0 ? 0 : p));
            rest = trimmed(rest.mid(p + 1));
        }
        if (i == n) {
            result.field = StripFieldQuotes(field);
            return result;
        }
        if (!rest.contains(',')) {
            if (i + 1 == n) {
                result.field = StripFieldQuotes(rest);
                if (rest.isEmpty())
                    result.status = NthFieldResult::NoSuchField;
            } else {
                result.status = NthFieldResult::NoSuchField;
            }
            return result;
        }
    }
}

int FieldCount(const QByteArray& text)
{
    if (trimmed(text).isEmpty())
        return 0;
    // A text has at most one field more than it has commas; an unclosed quote would
    // otherwise report empty fields for ever.
    const int limit = int(text.count(',')) + 2;
    int reads = 0;
    for (int n = 1; n <= limit; ++n) {
        ++reads;
        if (NthField(text, n).status != NthFieldResult::Found)
            break;
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
