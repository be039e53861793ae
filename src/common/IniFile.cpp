#include "common/IniFile.h"

#include "common/AtomicFile.h"
#include "common/FileAttributes.h"
#include "common/FileErrorText.h"
#include "common/cp932.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

bool isPad(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The profile routines trim spaces and tabs only; an ideographic space stays.
QString trimPad(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isPad(s[b]))
        ++b;
    while (e > b && isPad(s[e - 1]))
        --e;
    return s.mid(b, e - b).toString();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::Line IniFile::parseLine(const QByteArray& raw, bool inSection)
{
    Line line;
    line.raw = raw;
    const QString text = cp932::toUnicode(raw);
    qsizetype start = 0;
    while (start < text.size() && isPad(text[start]))
        ++start;
    const QStringView body = QStringView(text).mid(start);
    if (body.startsWith(u'[')) {
        const qsizetype close = body.lastIndexOf(u']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = trimPad(body.mid(1, close - 1));
        }
        return line;
    }
    if (!inSection || body.startsWith(u';'))
        return line;
    const qsizetype eq = body.indexOf(u'=');
    if (eq < 0)
        return line;
    line.kind = Kind::Key;
    line.name = trimPad(body.left(eq));
    line.value = trimPad(body.mid(eq + 1));
    return line;
}

bool IniFile::load(const QString& path, QString* error)
{
    m_path = path;
    m_lines.clear();
    // The error number is taken right after the call that failed, for a reason in words. A
    // file in a folder we may not enter is unreadable, not missing.
    const auto fail = [&](int code) {
        if (error)
            *error = FileErrorText::message(path, code ? code : EIO, FileErrorText::Access::Read);
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(EISDIR);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = errno;
        return code == ENOENT ? true : fail(code);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(errno);
    parse(bytes);
    return true;
}

void IniFile::parse(QByteArrayView bytes)
{
    m_lines.clear();
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        // LF is never the second byte of a double-byte character, so splitting bytes is safe.
        qsizetype end = bytes.indexOf('\n', pos);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        if (end > pos && bytes[end - 1] == '\r')
            --end;
        Line line = parseLine(bytes.sliced(pos, end - pos).toByteArray(), inSection);
        if (line.kind == Kind::Section)
            inSection = true;
        m_lines.append(std::move(line));
        pos = next;
    }
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    for (const Line& line : m_lines) {
        out += line.raw;
        out += "\r\n";
    }
    return out;
}

bool IniFile::save(QString* error) const
{
    if (FileAttributes::isReadOnly(m_path)) {
        if (error)
            *error = FileErrorText::readOnlyFileMessage(m_path);
        return false;
    }
    return AtomicFile::write(m_path, toBytes(), error, AtomicFile::Permissions::Private);
}

qsizetype IniFile::findKey(const QString& section, const QString& key) const
{
    bool inMatch = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Section)
            inMatch = sameName(line.name, section);
        else if (inMatch && line.kind == Kind::Key && sameName(line.name, key))
            return i;
    }
    return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    return findKey(section, trimPad(key)) >= 0;
}

QString IniFile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const
{
    const qsizetype i = findKey(section, trimPad(key));
    return i < 0 ? defaultValue : m_lines[i].value;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString name = trimPad(key);
    QString v = value;
    v.replace(u'\r', u' ');
    v.replace(u'\n', u' ');
    v = trimPad(v);

    // Read back from its bytes, so that the value in memory is the one a reload gives (a
    // character without a code page 932 code is "?" in both).
    const qsizetype found = findKey(section, name);
    if (found >= 0) {
        Line& line = m_lines[found];
        line = parseLine(cp932::fromUnicode(QString(line.name + u'=' + v)), true);
        return;
    }

    Line line = parseLine(cp932::fromUnicode(QString(name + u'=' + v)), true);

    // After the last non-blank line of the first section of that name, so that blank lines
    // between sections stay between them.
    qsizetype header = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && sameName(m_lines[i].name, section)) {
            header = i;
            break;
        }
    }
    if (header >= 0) {
        qsizetype insertAt = header + 1;
        for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == Kind::Section)
                break;
            if (!m_lines[i].raw.trimmed().isEmpty())
                insertAt = i + 1;
        }
        m_lines.insert(insertAt, std::move(line));
        return;
    }

    if (!m_lines.isEmpty() && !m_lines.last().raw.trimmed().isEmpty())
        m_lines.append(Line{});
    m_lines.append(parseLine(cp932::fromUnicode(QString(u'[' + trimPad(section) + u']')), false));
    m_lines.append(std::move(line));
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const Line& line : m_lines) {
        if (line.kind != Kind::Section)
            continue;
        bool seen = false;
        for (const QString& s : out)
            seen = seen || sameName(s, line.name);
        if (!seen)
            out.append(line.name);
    }
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    bool inMatch = false;
    for (const Line& line : m_lines) {
        if (line.kind == Kind::Section)
            inMatch = sameName(line.name, section);
        else if (inMatch && line.kind == Kind::Key)
            out.append(line.name);
    }
    return out;
}
