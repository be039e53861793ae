#include "common/SettingsText.h"

#include "common/FileAttributes.h"
#include "common/FileErrorText.h"
#include "common/IniFile.h"
#include "common/Prompter.h"
#include "common/cp932.h"
#include "common/numbers.h"

#include <QFileInfo>

namespace SettingsText {

namespace {

QString removeQuotes(QString value)
{
    if (value.startsWith(u'"')) {
        value.remove(0, 1);
        if (value.endsWith(u'"'))
            value.chop(1);
    }
    return value;
}

} // namespace

QString ReadSetting(const IniFile& ini, const QString& section, const QString& key)
{
    return removeQuotes(ini.value(section, key, QStringLiteral("ER")));
}

QString ReadSetting(const QString& path, const QString& section, const QString& key)
{
    IniFile ini;
    ini.load(path); // an unreadable file reads like a missing one: every key is "ER"
    return ReadSetting(ini, section, key);
}

bool IsMissingValue(const QString& value)
{
    return value.isEmpty() || value == u"ER" || value == u"IR";
}

void WriteSetting(IniFile& ini, const QString& section, const QString& key, const QString& value)
{
    ini.setValue(section, key, u'"' + value + u'"');
}

QString ReadPathSetting(const IniFile& ini, const QString& section, const QString& key)
{
    const QString encoded = ReadSetting(ini, section, key + u'U');
    if (!IsMissingValue(encoded)) {
        const QByteArray utf8 = QByteArray::fromPercentEncoding(encoded.toLatin1());
        if (utf8.isValidUtf8())
            return QString::fromUtf8(utf8);
    }
    return ReadSetting(ini, section, key);
}

QString ReadPathSetting(const QString& path, const QString& section, const QString& key)
{
    IniFile ini;
    ini.load(path);
    return ReadPathSetting(ini, section, key);
}

void WritePathSetting(IniFile& ini, const QString& section, const QString& key,
                      const QString& value)
{
    WriteSetting(ini, section, key, value);
    const QString encodedKey = key + u'U';
    if (cp932::toUnicode(cp932::fromUnicode(value)) != value)
        WriteSetting(ini, section, encodedKey,
                     QString::fromLatin1(value.toUtf8().toPercentEncoding("/\\:")));
    else if (ini.contains(section, encodedKey))
        WriteSetting(ini, section, encodedKey, QString());
}

bool WriteSetting(const QString& path, const QString& section, const QString& key,
                  const QString& value, bool createIfMissing, Prompter& prompter, QString* error)
{
    if (error)
        error->clear();
    if (!QFileInfo::exists(path) && !createIfMissing)
        return false;
    if (FileAttributes::isReadOnly(path)) {
        if (!prompter.confirm(QStringLiteral("読み出し専用です。書き込みますか"),
                              QStringLiteral("問合わせ")))
            return false;
        FileAttributes::clearReadOnly(path);
    }
    IniFile ini;
    if (!ini.load(path, error))
        return false;
    WriteSetting(ini, section, key, value);
    return ini.save(error);
}

bool OpenSettingsForWrite(const QString& path, IniFile* ini, QString* error)
{
    if (error)
        error->clear();
    if (!FileAttributes::clearReadOnly(path)) {
        if (error)
            *error = FileErrorText::readOnlyFileMessage(path);
        return false;
    }
    return ini->load(path, error);
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool IsTrueText(const QString& text)
{
    return text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
}

int IntOfText(const QString& text)
{
    return numbers::lenientInt(text, 0);
}

} // namespace SettingsText
