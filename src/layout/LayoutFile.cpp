#include "layout/LayoutFile.h"

#include "common/AtomicFile.h"
#include "common/cp932.h"
#include "common/numbers.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutLimits.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/TObjStreamV.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QObject>
#include <QRegularExpression>
#include <QSet>
#include <QVariant>

#include <cmath>

namespace LayoutFile {

QString quotedValue(const QString& text);

namespace {

// Larger than any face with its background picture; a bigger file is not a layout.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString notFloat(const QString& text)
{
    return QStringLiteral("'%1' は浮動小数点数ではありません").arg(quotedValue(text));
}

// The item a field's name tells ("edtAtenaTT": Atena), if it tells one.
std::optional<int> itemOfFieldName(const QString& name)
{
    for (int i = 0; i < LayoutItemCount; ++i)
        for (int k = 0; k < LayoutKindCount; ++k)
            if (name == QStringLiteral("edt") + layoutItemName(LayoutItem(i)) +
                            layoutKindName(LayoutKind(k)))
                return i;
    return std::nullopt;
}

bool isField(const QObject* o)
{
    for (const char* name : {"Tag", "Left", "Top", "Width", "Height", "OffsetEx", "Font", "Hint"})
        if (o->metaObject()->indexOfProperty(name) < 0)
            return false;
    return true;
}

// round(p x 100 / zoom) pixels at 100 %, then 1/10 mm; false when the value is beyond any card.
bool toTenthMm(int pixels, double zoom, double dpi, int* out)
{
    const double unzoomed = pixels * 100.0 / zoom;
    if (!std::isfinite(unzoomed) || std::abs(unzoomed) > 1.0e6)
        return false;
    *out = LayoutUnits::pixelsToTenthMm(numbers::roundHalfAway(unzoomed), dpi);
    return true;
}

// One field's record from the values the reading gives it.
bool fieldRecord(const TObjStreamV::Reading& reading, const QObject* field, double zoom, double dpi,
                 FieldRecord* out, QString* error)
{
    const auto value = [&](const char* name) { return reading.value(field, name); };
    const QFont font = value("Font").value<QFont>();
    const QString hint = value("Hint").toString();
    LayoutItemRecord& r = out->record;
    out->item = value("Tag").toInt();
    out->fieldName = field->objectName();
    r.FontName = font.family();
    if (hint.size() < 4) {
        const double points =
            font.pixelSize() > 0 ? font.pixelSize() * 72.0 / dpi : font.pointSizeF();
        r.FontSize = numbers::roundHalfAway(numbers::roundHalfAway(points) * 100.0 / zoom);
    } else {
        r.Lock = hint[0] == u'1';
        r.NoView = hint[1] == u'1';
        r.NoPrint = hint[2] == u'1';
        if (!parseNumber(hint.mid(3), &r.FontSize)) {
            *error = notFloat(hint.mid(3));
            return false;
        }
    }
    const int width = value("Width").toInt();
    const int height = value("Height").toInt();
    if (width <= 0 || height <= 0 || !LayoutLimits::isFontSizeInRange(r.FontSize) ||
        !toTenthMm(value("Left").toInt(), zoom, dpi, &r.X) ||
        !toTenthMm(value("Top").toInt(), zoom, dpi, &r.Y) ||
        !toTenthMm(width, zoom, dpi, &r.Width) || !toTenthMm(height, zoom, dpi, &r.Height) ||
        !toTenthMm(value("OffsetEx").toInt(), zoom, dpi, &r.WidthEx)) {
        *error = TObjStreamV::formatError();
        return false;
    }
    return true;
}

} // namespace

QString dialogFilter()
{
    return QStringLiteral("はがき(*.tyd)|*.tyd|すべて(*.*)|*.*");
}

QString fileNameForKind(const QString& chosen, LayoutKind kind)
{
    const QFileInfo info(chosen);
    QString name = info.fileName();
    const QString ending = layoutKindName(kind) + QStringLiteral(".tyd");
    // A layout file of this kind chosen to be replaced keeps its name, not "cardTTTT.tyd".
    if (name.endsWith(ending, Qt::CaseInsensitive) && name.size() > ending.size())
        return chosen;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return chosen.left(chosen.size() - info.fileName().size()) + name + ending;
}

std::optional<LayoutKind> kindOfFileName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    for (int k = 0; k < LayoutKindCount; ++k)
        if (name.contains(layoutKindName(LayoutKind(k)) + u'.', Qt::CaseInsensitive))
            return LayoutKind(k);
    return std::nullopt;
}

QString placeholder(int item)
{
    static const char16_t* const Texts[LayoutItemCount] = {u"123",
                                                           u"4567",
                                                           u"[住所１]",
                                                           u"[住所２]",
                                                           u"[会社名]",
                                                           u"[肩書き]",
                                                           u"[宛先]",
                                                           u"[連名]",
                                                           u",(91000673-80-25-2A1DD1)",
                                                           u"〒123-4567",
                                                           u"[差出人住所１]",
                                                           u"[差出人住所２]",
                                                           u"[差出人会社名]",
                                                           u"[差出人氏名]",
                                                           u"[差出人連名]"};
    return item >= 0 && item < LayoutItemCount ? QString::fromUtf16(Texts[item]) : QString();
}

QString fieldHint(const LayoutItemRecord& record)
{
    const auto flag = [](bool b) { return b ? u'1' : u'0'; };
    return QString(flag(record.Lock)) + flag(record.NoView) + flag(record.NoPrint) +
           QString::number(record.FontSize, 'f', 2);
}

QString zoomHint(double zoom)
{
    return QString::number(zoom, 'f', 2);
}

QString zoomBoxText(double zoom)
{
    return QString::asprintf("%3.0f%%", zoom);
}

bool parseNumber(const QString& text, double* value)
{
    static const QRegularExpression Number(
        QStringLiteral(R"(^\s*[+-]?(\d+([.,]\d*)?|[.,]\d+)([eE][+-]?\d+)?\s*$)"));
    if (!Number.match(text).hasMatch())
        return false;
    QString t = text.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

void prepareSave(QObject* face, const LayoutTable& table, LayoutKind kind, double zoom)
{
    for (QObject* child : face->children()) {
        if (!isField(child))
            continue;
        const int item = child->property("Tag").toInt();
        QString name;
        LayoutItemRecord r;
        if (!table.ReadLayoutItem(int(kind), item, &name, &r))
            continue;
        child->setProperty("Hint", fieldHint(r));
        child->setProperty("Text", placeholder(item));
    }
    face->setProperty("Hint", zoomHint(zoom));
}

bool save(const QObject* face, const QString& path, QString* error)
{
    if (AtomicFile::write(path, TObjStreamV::write(face)))
        return true;
    if (error)
        *error = QStringLiteral("ファイル %1 を作成できません").arg(shown(path));
    return false;
}

bool load(QByteArrayView bytes, QObject* face, double dpi, Loaded* out, QString* error)
{
    QString message;
    const std::optional<TObjStreamV::Reading> reading = TObjStreamV::prepare(bytes, face, &message);
    if (!reading) {
        *error = message;
        return false;
    }
    // Everything is checked on the values the face would take, before it takes any.
    Loaded loaded;
    const QString zoomText = reading->value(face, "Hint").toString();
    if (!parseNumber(zoomText, &loaded.zoom)) {
        *error = notFloat(zoomText);
        return false;
    }
    if (!(loaded.zoom >= LayoutLimits::MinZoom && loaded.zoom <= LayoutLimits::MaxZoom)) {
        *error = TObjStreamV::formatError();
        return false;
    }

    // A field's Tag is its item: one out of range or another field's would make a move of
    // the field store into no record or into that other field's.
    QSet<int> items;
    for (const QObject* child : face->children()) {
        if (!isField(child))
            continue;
        const int item = reading->value(child, "Tag").toInt();
        const std::optional<int> named = itemOfFieldName(child->objectName());
        if (item < 0 || item >= LayoutItemCount || items.contains(item) ||
            (named && *named != item)) {
            *error = TObjStreamV::formatError();
            return false;
        }
        items.insert(item);
        // A field the file does not speak of keeps its record: what it shows is not the file's.
        if (!reading->hasRecord(child))
            continue;
        FieldRecord field;
        if (!fieldRecord(*reading, child, loaded.zoom, dpi, &field, &message)) {
            *error = message;
            return false;
        }
        loaded.fields.append(field);
    }
    reading->apply();
    *out = loaded;
    return true;
}

bool loadFile(const QString& path, QObject* face, double dpi, Loaded* out, QString* error)
{
    const QString cannotOpen = QStringLiteral("ファイル %1 は開けません").arg(shown(path));
    // A device, a pipe or a folder (also behind a link) is no layout file, and reading one
    // may never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = cannotOpen;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential()) {
        *error = cannotOpen;
        return false;
    }
    if (file.size() > MaxFileSize) {
        *error = TObjStreamV::formatError();
        return false;
    }
    // To the end but never more than the limit, even from a file that grows while it is read;
    // the buffer follows the file, not the limit (a layout is a few kilobytes).
    QByteArray bytes(qMin(file.size(), MaxFileSize) + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got <= MaxFileSize) {
        if (got == bytes.size())
            bytes.resize(qMin(2 * bytes.size(), MaxFileSize + 1));
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0 || file.error() != QFileDevice::NoError) {
            *error = cannotOpen;
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    if (bytes.size() > MaxFileSize) {
        *error = TObjStreamV::formatError();
        return false;
    }
    return load(bytes, face, dpi, out, error);
}

QString quotedValue(const QString& text)
{
    constexpr qsizetype Shown = 40;
    if (text.size() <= Shown)
        return text;
    const qsizetype n = text.at(Shown - 1).isHighSurrogate() ? Shown - 1 : Shown;
    return text.left(n) + QStringLiteral("…");
}

QStringList adjustments(const QString& itemName, const LayoutItemRecord& read,
                        const LayoutItemRecord& stored)
{
    QStringList notes;
    const auto note = [&](const char* what, const QString& from, const QString& to) {
        if (from != to)
            notes.append(QStringLiteral("%1 の %2 %3 は範囲外のため %4 にしました")
                             .arg(itemName, QLatin1String(what), quotedValue(from), to));
    };
    note("FontSize", QString::number(read.FontSize), QString::number(stored.FontSize));
    note("X", QString::number(read.X), QString::number(stored.X));
    note("Y", QString::number(read.Y), QString::number(stored.Y));
    note("Width", QString::number(read.Width), QString::number(stored.Width));
    note("Height", QString::number(read.Height), QString::number(stored.Height));
    note("WidthEx", QString::number(read.WidthEx), QString::number(stored.WidthEx));
    return notes;
}

} // namespace LayoutFile
