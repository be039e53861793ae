#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// An INI file held in memory, text in code page 932, as the Windows profile routines read and
// write it:
// - "[name]" lines open sections; "key=value" lines are settings of the section above them.
//   Section and key names are matched without regard to case and keep the spelling they
//   already have in the file; a new key is spelled as given.
// - Keys and values lose spaces and tabs at both ends; a value runs to the end of the line and
//   may contain "=". Quotes are not touched here (see SettingsText).
// - Lines ending in LF or CR LF are read; every line is written with CR LF.
// - Every other line (blank lines, ";" comments, lines without "=", key lines above the first
//   section) is kept byte for byte in its place and is never read as a setting. Lines that
//   are not changed keep their bytes too, so unknown sections and keys survive a save.
// - When a section occurs more than once, reading looks through all of them in file order and
//   a new key goes to the end of the first one.
class IniFile
{
public:
    IniFile() = default;

    // Reads the file at `path` and remembers the path for save(). A missing file gives an
    // empty file and true; a file that exists but cannot be read gives an empty file, false
    // and *error.
    bool load(const QString& path, QString* error = nullptr);

    // Replaces the content with these bytes (code page 932).
    void parse(QByteArrayView bytes);

    // The whole file as it would be saved.
    QByteArray toBytes() const;

    // Writes the whole file once, atomically: on failure (read-only file, folder missing or
    // not writable, disk full) the previous file is left as it was and *error says why. The
    // file is its owner's alone (0600): settings hold the sender's name and address.
    bool save(QString* error = nullptr) const;

    const QString& path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }

    bool contains(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;

    // Sets one key, adding the key and its section when missing. Keys are plain names (no
    // "=", not starting with ";" or "["). A value cannot hold a line break in this format: CR
    // and LF become spaces.
    void setValue(const QString& section, const QString& key, const QString& value);

    // Section names in file order, each once, in its first spelling.
    QStringList sections() const;
    // Key names of a section in file order.
    QStringList keys(const QString& section) const;

private:
    enum class Kind
    {
        Other,
        Section,
        Key
    };
    struct Line
    {
        QByteArray raw;
        Kind kind = Kind::Other;
        QString name;  // section name or key
        QString value; // key lines only
    };

    qsizetype findKey(const QString& section, const QString& key) const;
    static Line parseLine(const QByteArray& raw, bool inSection);

    QList<Line> m_lines;
    QString m_path;
};
