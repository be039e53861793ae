#include "layout/TObjStreamV.h"

#include "common/cp932.h"
#include "common/numbers.h"
#include "layout/ExtendedReal.h"
#include "layout/PictureData.h"
#include "layout/StreamRecord.h"
#include "layout/THashedStringListV.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMetaEnum>
#include <QObject>
#include <QPalette>
#include <QPixmap>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

const QByteArray Signature = QByteArrayLiteral("TPF0");

// Lists, collections and nested objects deeper than this are not a file of ours, nor of any
// installation: refusing them keeps the reader's recursion small.
constexpr int MaxDepth = 32;

// ---- what is streamed ------------------------------------------------------------------

enum class Kind
{
    None,
    Bool,
    Integer,
    Int64,
    Enum,
    Set,
    Real,
    String,
    Color,
    Font,
    Image,
    Pixmap,
    Object
};

Kind kindOf(const QMetaProperty& p)
{
    if (p.isFlagType())
        return Kind::Set;
    if (p.isEnumType())
        return Kind::Enum;
    const QMetaType type = p.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::Long:
        return Kind::Integer;
    case QMetaType::LongLong:
        return Kind::Int64;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Real;
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::QColor:
        return Kind::Color;
    case QMetaType::QFont:
        return Kind::Font;
    case QMetaType::QImage:
        return Kind::Image;
    case QMetaType::QPixmap:
        return Kind::Pixmap;
    default:
        break;
    }
    if (type.flags() & QMetaType::PointerToQObject)
        return Kind::Object;
    return Kind::None;
}

bool isPublished(const QMetaProperty& p)
{
    const char* name = p.name();
    // An object's Name travels in its record's header, never as a property.
    return name[0] >= 'A' && name[0] <= 'Z' && qstrcmp(name, "Name") != 0 && p.isReadable() &&
           kindOf(p) != Kind::None;
}

// The range of an integer property's type.
void integerRange(const QMetaProperty& p, std::int64_t* low, std::int64_t* high)
{
    switch (p.metaType().id()) {
    case QMetaType::UInt:
        *low = 0, *high = std::numeric_limits<quint32>::max();
        return;
    case QMetaType::Short:
        *low = -32768, *high = 32767;
        return;
    case QMetaType::UShort:
        *low = 0, *high = 65535;
        return;
    case QMetaType::SChar:
    case QMetaType::Char:
        *low = -128, *high = 127;
        return;
    case QMetaType::UChar:
        *low = 0, *high = 255;
        return;
    case QMetaType::LongLong:
        *low = std::numeric_limits<std::int64_t>::min();
        *high = std::numeric_limits<std::int64_t>::max();
        return;
    default:
        *low = std::numeric_limits<qint32>::min(), *high = std::numeric_limits<qint32>::max();
    }
}

// The published properties of a class, in index order, with the index of names.
struct ClassProperties
{
    QList<QMetaProperty> properties;
    THashedStringListV index;
};

const ClassProperties& propertiesOf(const QMetaObject* meta)
{
    static QHash<const QMetaObject*, std::shared_ptr<ClassProperties>> cache;
    auto& entry = cache[meta];
    if (!entry) {
        entry = std::make_shared<ClassProperties>();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty p = meta->property(i);
            if (!isPublished(p))
                continue;
            entry->properties.append(p);
            entry->index.add(QByteArray(p.name()));
        }
    }
    return *entry;
}

// ---- colours: the file's TColor numbers and names ------------------------------------

struct ColorName
{
    const char* name;
    std::uint32_t value; // 0x00BBGGRR, or 0x80000000 + system colour index
};

constexpr ColorName ColorNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
};

// A system colour as this desktop shows it.
QColor systemColor(int index)
{
    struct Role
    {
        int index;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        QRgb classic;
    };
    static constexpr Role Roles[] = {
        {1, QPalette::Active, QPalette::Window, 0x3A6EA5},
        {5, QPalette::Active, QPalette::Base, 0xFFFFFF},
        {8, QPalette::Active, QPalette::Text, 0x000000},
        {7, QPalette::Active, QPalette::WindowText, 0x000000},
        {13, QPalette::Active, QPalette::Highlight, 0x0078D7},
        {14, QPalette::Active, QPalette::HighlightedText, 0xFFFFFF},
        {15, QPalette::Active, QPalette::Button, 0xF0F0F0},
        {16, QPalette::Active, QPalette::Dark, 0xA0A0A0},
        {17, QPalette::Disabled, QPalette::Text, 0x6D6D6D},
        {18, QPalette::Active, QPalette::ButtonText, 0x000000},
        {20, QPalette::Active, QPalette::Light, 0xFFFFFF},
        {21, QPalette::Active, QPalette::Shadow, 0x696969},
        {22, QPalette::Active, QPalette::Midlight, 0xE3E3E3},
        {23, QPalette::Active, QPalette::ToolTipText, 0x000000},
        {24, QPalette::Active, QPalette::ToolTipBase, 0xFFFFE1},
    };
    for (const Role& r : Roles) {
        if (r.index != index)
            continue;
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return QGuiApplication::palette().color(r.group, r.role);
        return QColor::fromRgb(r.classic);
    }
    return QColor(Qt::gray);
}

QColor colorOfNumber(std::int64_t number)
{
    const std::uint32_t v = std::uint32_t(number);
    if (v == 0x1FFFFFFF || v == 0x20000000)
        return QColor(); // clNone, clDefault
    if (v & 0x80000000)
        return systemColor(int(v & 0xFF));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

std::optional<std::int64_t> colorNumberOfName(QByteArrayView name)
{
    for (const ColorName& c : ColorNames)
        if (name.compare(QByteArrayView(c.name), Qt::CaseInsensitive) == 0)
            return std::int64_t(c.value);
    return std::nullopt;
}

std::optional<QColor> colorOfText(const QString& text)
{
    if (const auto n = colorNumberOfName(text.toLatin1()))
        return colorOfNumber(*n);
    int n = 0;
    if (numbers::parseInt(text, &n))
        return colorOfNumber(n);
    return std::nullopt;
}

// ---- writing ---------------------------------------------------------------------------

class Writer
{
public:
    QByteArray out;

    void byte(std::uint8_t b) { out.append(char(b)); }
    void tag(StreamTag t) { byte(std::uint8_t(t)); }
    void little(std::uint64_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            byte(std::uint8_t(v >> (8 * i)));
    }
    // Cut to 255 bytes, not inside a double-byte character.
    void shortString(QByteArrayView bytes)
    {
        qsizetype n = bytes.size();
        if (n > 255) {
            n = 0;
            for (qsizetype i = 0; i < 255;) {
                const std::uint8_t b = std::uint8_t(bytes[i]);
                const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
                const qsizetype width = lead ? 2 : 1;
                if (i + width > 255)
                    break;
                i += width;
                n = i;
            }
        }
        byte(std::uint8_t(n));
        out.append(bytes.first(n));
    }
    void integer(std::int64_t v)
    {
        if (v >= -128 && v <= 127) {
            tag(StreamTag::Int8);
            little(std::uint64_t(v), 1);
        } else if (v >= -32768 && v <= 32767) {
            tag(StreamTag::Int16);
            little(std::uint64_t(v), 2);
        } else if (v >= std::numeric_limits<qint32>::min() &&
                   v <= std::numeric_limits<qint32>::max()) {
            tag(StreamTag::Int32);
            little(std::uint64_t(v), 4);
        } else {
            tag(StreamTag::Int64);
            little(std::uint64_t(v), 8);
        }
    }
    void extended(double v)
    {
        tag(StreamTag::Extended);
        const ExtendedReal::Bytes bytes = ExtendedReal::fromDouble(v);
        out.append(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
    void string(const QString& text)
    {
        const QByteArray bytes = cp932::fromUnicode(text);
        if (bytes.size() < 256) {
            tag(StreamTag::String);
            shortString(bytes);
        } else {
            tag(StreamTag::LString);
            little(std::uint64_t(bytes.size()), 4);
            out.append(bytes);
        }
    }
    void identifier(QByteArrayView name)
    {
        if (name.compare("False", Qt::CaseInsensitive) == 0)
            tag(StreamTag::False);
        else if (name.compare("True", Qt::CaseInsensitive) == 0)
            tag(StreamTag::True);
        else if (name.compare("Null", Qt::CaseInsensitive) == 0)
            tag(StreamTag::Null);
        else if (name.compare("nil", Qt::CaseInsensitive) == 0)
            tag(StreamTag::Nil);
        else {
            tag(StreamTag::Ident);
            shortString(name);
        }
    }
    void set(const QList<QByteArray>& members)
    {
        tag(StreamTag::Set);
        for (const QByteArray& m : members)
            shortString(m);
        byte(0);
    }
    void binary(QByteArrayView data)
    {
        tag(StreamTag::Binary);
        little(std::uint64_t(data.size()), 4);
        out.append(data);
    }
};

QList<QByteArray> setMembers(const QMetaEnum& e, int value)
{
    QList<QByteArray> members;
    for (int i = 0; i < e.keyCount(); ++i) {
        const int k = e.value(i);
        if (k != 0 && (value & k) == k)
            members.append(QByteArray(e.key(i)));
    }
    return members;
}

std::optional<int> setOfText(const QMetaEnum& e, QString text)
{
    text = text.trimmed();
    if (text.startsWith(u'['))
        text = text.mid(1);
    if (text.endsWith(u']'))
        text.chop(1);
    int value = 0;
    for (const QString& member : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int k = e.keyToValue(member.trimmed().toLatin1().constData(), &ok);
        if (!ok)
            return std::nullopt;
        value |= k;
    }
    return value;
}

// The declared default of a property, as a value of its own kind: a class info
// "Default.<name>" in text, or what the object's invokable declaredDefault(QString) gives
// (an invalid value there: no default).
std::optional<QVariant> declaredDefault(const QObject* object, const QMetaProperty& p)
{
    const QMetaObject* meta = object->metaObject();
    const int info = meta->indexOfClassInfo(QByteArray("Default.") + p.name());
    if (info >= 0) {
        const QString text = QString::fromUtf8(meta->classInfo(info).value());
        switch (kindOf(p)) {
        case Kind::Bool:
            return QVariant(text.compare(u"true", Qt::CaseInsensitive) == 0);
        case Kind::Integer:
        case Kind::Int64:
            return QVariant(text.toLongLong());
        case Kind::Enum: {
            bool ok = false;
            const int v = p.enumerator().keyToValue(text.toLatin1().constData(), &ok);
            return ok ? std::optional<QVariant>(v) : std::nullopt;
        }
        case Kind::Set:
            if (const std::optional<int> v = setOfText(p.enumerator(), text))
                return QVariant(*v);
            return std::nullopt;
        case Kind::Color:
            if (const std::optional<QColor> c = colorOfText(text))
                return QVariant(*c);
            return std::nullopt;
        default:
            return std::nullopt;
        }
    }
    if (meta->indexOfMethod("declaredDefault(QString)") >= 0) {
        QVariant value;
        QMetaObject::invokeMethod(const_cast<QObject*>(object), "declaredDefault",
                                  Qt::DirectConnection, Q_RETURN_ARG(QVariant, value),
                                  Q_ARG(QString, QString::fromLatin1(p.name())));
        if (value.isValid())
            return value;
    }
    return std::nullopt;
}

// Whether a property's value equals its default.
bool isDefault(Kind kind, const QVariant& value, const std::optional<QVariant>& def)
{
    if (!def)
        return false;
    switch (kind) {
    case Kind::Bool:
        return value.toBool() == def->toBool();
    case Kind::Integer:
    case Kind::Int64:
        return value.toLongLong() == def->toLongLong();
    case Kind::Enum:
    case Kind::Set:
        return value.toInt() == def->toInt();
    case Kind::Color:
        return value.value<QColor>() == def->value<QColor>();
    default:
        return false;
    }
}

// Font.Height: the character height in pixels, negative; Qt keeps either pixels or points.
int fontHeight(const QFont& font)
{
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    return -numbers::roundHalfAway(font.pointSizeF() * 96.0 / 72.0);
}

void writeFont(const QFont& font, const QByteArray& prefix, Writer& w)
{
    w.shortString(prefix + "Height");
    w.integer(fontHeight(font));
    w.shortString(prefix + "Name");
    w.string(font.family());
    QList<QByteArray> style;
    if (font.bold())
        style.append("fsBold");
    if (font.italic())
        style.append("fsItalic");
    if (font.underline())
        style.append("fsUnderline");
    if (font.strikeOut())
        style.append("fsStrikeOut");
    if (!style.isEmpty()) {
        w.shortString(prefix + "Style");
        w.set(style);
    }
}

QByteArray originalPicture(const QObject* object, const QMetaProperty& p)
{
    const QMetaObject* meta = object->metaObject();
    const int i = meta->indexOfClassInfo(QByteArray("Source.") + p.name());
    if (i < 0)
        return {};
    return object->property(meta->classInfo(i).value()).toByteArray();
}

void writeProperties(const QObject* object, const QByteArray& prefix, bool root, Writer& w,
                     int depth);

void writeProperty(const QObject* object, const QMetaProperty& p, const QByteArray& prefix,
                   bool root, Writer& w, int depth)
{
    const QByteArray name = prefix + p.name();
    const QVariant value = p.read(object);
    const Kind kind = kindOf(p);
    if (isDefault(kind, value, declaredDefault(object, p)))
        return;
    switch (kind) {
    case Kind::Bool: {
        const bool v = value.toBool();
        w.shortString(name);
        w.tag(v ? StreamTag::True : StreamTag::False);
        return;
    }
    case Kind::Integer:
    case Kind::Int64: {
        const std::int64_t v = value.toLongLong();
        if (kind == Kind::Int64 && v == 0 && !declaredDefault(object, p))
            return;
        w.shortString(name);
        w.integer(v);
        return;
    }
    case Kind::Enum: {
        const QMetaEnum e = p.enumerator();
        const int v = value.toInt();
        w.shortString(name);
        if (const char* key = e.valueToKey(v))
            w.identifier(key);
        else
            w.integer(v);
        return;
    }
    case Kind::Set: {
        const QMetaEnum e = p.enumerator();
        const int v = value.toInt();
        w.shortString(name);
        w.set(setMembers(e, v));
        return;
    }
    case Kind::Real: {
        const double v = value.toDouble();
        if (v == 0.0)
            return;
        w.shortString(name);
        w.extended(v);
        return;
    }
    case Kind::String: {
        const QString v = value.toString();
        if (v.isEmpty())
            return;
        w.shortString(name);
        w.string(v);
        return;
    }
    case Kind::Color: {
        const QColor v = value.value<QColor>();
        std::int64_t number = 0x1FFFFFFF; // clNone
        if (v.isValid())
            number = v.red() | v.green() << 8 | v.blue() << 16;
        w.shortString(name);
        const ColorName* named = nullptr;
        for (const ColorName& c : ColorNames)
            if (c.value == number)
                named = &c;
        if (named)
            w.identifier(named->name);
        else
            w.integer(number);
        return;
    }
    case Kind::Font:
        writeFont(value.value<QFont>(), name + '.', w);
        return;
    case Kind::Image:
    case Kind::Pixmap: {
        const QImage image =
            kindOf(p) == Kind::Image ? value.value<QImage>() : value.value<QPixmap>().toImage();
        if (image.isNull())
            return;
        w.shortString(name + ".Data");
        w.binary(PictureData::encode(image, originalPicture(object, p)));
        return;
    }
    case Kind::Object: {
        const QObject* held = value.value<QObject*>();
        if (!held || depth >= MaxDepth)
            return;
        // An object of its own is part of the owner; any other is a reference, followed only
        // for the root.
        if (held->parent() != object && !root)
            return;
        writeProperties(held, name + '.', false, w, depth + 1);
        return;
    }
    case Kind::None:
        return;
    }
}

void writeProperties(const QObject* object, const QByteArray& prefix, bool root, Writer& w,
                     int depth)
{
    for (const QMetaProperty& p : propertiesOf(object->metaObject()).properties)
        if (p.isStored())
            writeProperty(object, p, prefix, root, w, depth);
}

// One object's record with its children's; nothing when there is nothing to say.
QByteArray objectRecord(const QObject* object, bool root, int depth)
{
    Writer properties;
    writeProperties(object, QByteArray(), root, properties, 0);
    QByteArray children;
    if (depth < MaxDepth)
        for (const QObject* child : object->children())
            children += objectRecord(child, false, depth + 1);
    if (!root && properties.out.isEmpty() && children.isEmpty())
        return {};
    Writer w;
    w.shortString(QByteArrayView(object->metaObject()->className()));
    w.shortString(cp932::fromUnicode(object->objectName()));
    w.out += properties.out;
    w.byte(0);
    w.out += children;
    w.byte(0);
    return w.out;
}

// ---- reading ---------------------------------------------------------------------------

class Parser
{
public:
    explicit Parser(QByteArrayView bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }

    std::uint8_t byte()
    {
        if (m_pos >= m_bytes.size())
            return fail(), 0;
        return std::uint8_t(m_bytes[m_pos++]);
    }
    std::uint8_t peek()
    {
        if (m_pos >= m_bytes.size())
            return fail(), 0;
        return std::uint8_t(m_bytes[m_pos]);
    }
    // Every length is checked against the bytes present before anything is taken.
    QByteArrayView take(std::uint64_t n)
    {
        if (!m_ok || n > std::uint64_t(m_bytes.size() - m_pos))
            return fail(), QByteArrayView();
        const QByteArrayView v = m_bytes.sliced(m_pos, qsizetype(n));
        m_pos += qsizetype(n);
        return v;
    }
    std::uint64_t little(int size)
    {
        const QByteArrayView v = take(size);
        std::uint64_t result = 0;
        for (qsizetype i = 0; i < v.size(); ++i)
            result |= std::uint64_t(std::uint8_t(v[i])) << (8 * i);
        return result;
    }
    QByteArrayView shortString() { return take(byte()); }

    void fail() { m_ok = false; }

    bool value(StreamValue* v, int depth);
    // A record's header: the flags some streamers write, the class name, the object's name.
    bool header(QByteArrayView* name, int depth);

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

bool Parser::value(StreamValue* v, int depth)
{
    if (depth > MaxDepth)
        return fail(), false;
    v->tag = StreamTag(byte());
    switch (v->tag) {
    case StreamTag::Null:
    case StreamTag::False:
    case StreamTag::True:
    case StreamTag::Nil:
        break;
    case StreamTag::Int8:
        v->integer = std::int8_t(little(1));
        break;
    case StreamTag::Int16:
        v->integer = std::int16_t(little(2));
        break;
    case StreamTag::Int32:
        v->integer = std::int32_t(little(4));
        break;
    case StreamTag::Int64:
        v->integer = std::int64_t(little(8));
        break;
    case StreamTag::Extended: {
        const QByteArrayView b = take(10);
        if (m_ok)
            v->real = ExtendedReal::toDouble(reinterpret_cast<const std::uint8_t*>(b.data()));
        break;
    }
    case StreamTag::Single: {
        const std::uint32_t bits = std::uint32_t(little(4));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        v->real = f;
        break;
    }
    case StreamTag::Double:
    case StreamTag::Date: {
        const std::uint64_t bits = little(8);
        std::memcpy(&v->real, &bits, sizeof v->real);
        break;
    }
    case StreamTag::Currency: // a 64-bit integer in ten-thousandths
        v->real = double(std::int64_t(little(8))) / 10000.0;
        break;
    case StreamTag::String:
    case StreamTag::Ident:
        v->bytes = shortString();
        break;
    case StreamTag::LString:
    case StreamTag::Binary:
    case StreamTag::Utf8String:
        v->bytes = take(little(4));
        break;
    case StreamTag::WString:
        v->bytes = take(little(4) * 2);
        break;
    case StreamTag::Set: {
        const qsizetype start = m_pos;
        while (m_ok && !shortString().isEmpty()) {
        }
        if (m_ok)
            v->members = m_bytes.sliced(start, m_pos - 1 - start);
        break;
    }
    case StreamTag::List:
        while (m_ok && peek() != 0) {
            StreamValue item;
            value(&item, depth + 1);
        }
        byte();
        break;
    case StreamTag::Collection:
        // Items, each an optional order number and a list of property records.
        while (m_ok && peek() != 0) {
            const std::uint8_t next = peek();
            if (next == 2 || next == 3 || next == 4) {
                StreamValue order;
                value(&order, depth + 1);
            }
            if (byte() != std::uint8_t(StreamTag::List))
                return fail(), false;
            while (m_ok && peek() != 0) {
                shortString();
                StreamValue item;
                value(&item, depth + 1);
            }
            byte();
        }
        byte();
        break;
    default:
        return fail(), false;
    }
    return m_ok;
}

bool Parser::header(QByteArrayView* name, int depth)
{
    if (depth > MaxDepth)
        return fail(), false;
    // Written by some streamers: a flags byte 0xF0..0xFF before the class name, with a child
    // position after it when flag 2 is set.
    if ((peek() & 0xF0) == 0xF0) {
        const std::uint8_t flags = byte();
        if (flags & 2) {
            StreamValue position;
            if (!value(&position, depth) || !position.isInteger())
                return fail(), false;
        }
    }
    shortString(); // the class name: the tree's own classes are what counts
    *name = shortString();
    return m_ok;
}

std::optional<QString> stringOf(const StreamValue& v)
{
    switch (v.tag) {
    case StreamTag::String:
    case StreamTag::LString:
        return cp932::toUnicode(v.bytes.toByteArray());
    case StreamTag::Utf8String:
        return QString::fromUtf8(v.bytes);
    case StreamTag::WString:
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(v.bytes.data()),
                                  v.bytes.size() / 2);
    default:
        return std::nullopt;
    }
}

bool hasMember(const StreamValue& v, QByteArrayView name)
{
    return !v.eachMember([name](QByteArrayView m) { return m != name; });
}

} // namespace

// Reads the records straight from the bytes into pending assignments: one per property of
// the tree, however often the stream repeats it, so memory follows the tree, not the file.
class TObjStreamVReader
{
public:
    using Assignment = TObjStreamV::Reading::Assignment;

    explicit TObjStreamVReader(QByteArrayView bytes) : m_parser(bytes) {}

    bool run(QObject* root, TObjStreamV::Reading* out);

private:
    // One record; `target` is null for a record that is read only to be skipped.
    bool record(QObject* target, bool root, int depth);
    bool property(QObject* target, QByteArrayView name, const StreamValue& v, bool root, int depth);
    bool simple(QObject* target, const QMetaProperty& p, const StreamValue& v);
    bool font(QObject* target, const QMetaProperty& p, QByteArrayView sub, const StreamValue& v);
    bool picture(QObject* target, const QMetaProperty& p, QByteArrayView sub, const StreamValue& v);
    Assignment& pending(QObject* target, const QMetaProperty& p);
    // Decodes the last picture of each picture property: the data seen, checked whole.
    bool decodePictures();

    Parser m_parser;
    QList<Assignment> m_assignments;
    QHash<QPair<const QObject*, int>, qsizetype> m_index;
    QSet<const QObject*> m_records;
    QHash<qsizetype, QByteArrayView> m_pictures; // assignment -> its Picture.Data
};

bool TObjStreamVReader::run(QObject* root, TObjStreamV::Reading* out)
{
    QByteArrayView name;
    if (!m_parser.header(&name, 0) || !record(root, true, 0) || !decodePictures())
        return false;
    // Whatever follows the root's record is not read, as a stream of one object ends there.
    out->m_assignments = std::move(m_assignments);
    out->m_records = std::move(m_records);
    return true;
}

bool TObjStreamVReader::record(QObject* target, bool root, int depth)
{
    if (target)
        m_records.insert(target);
    while (m_parser.ok() && m_parser.peek() != 0) {
        const QByteArrayView name = m_parser.shortString();
        if (name.isEmpty())
            return m_parser.fail(), false;
        StreamValue v;
        if (!m_parser.value(&v, depth))
            return false;
        if (target && !property(target, name, v, root, 0))
            return false;
    }
    m_parser.byte();

    // The children by the names a stream carries them under (code page 932).
    QHash<QByteArray, QObject*> children;
    if (target)
        for (QObject* child : target->children())
            children.insert(cp932::fromUnicode(child->objectName()), child);
    while (m_parser.ok() && m_parser.peek() != 0) {
        QByteArrayView name;
        if (!m_parser.header(&name, depth + 1))
            return false;
        QObject* child = target ? children.value(name.toByteArray()) : nullptr;
        if (!record(child, false, depth + 1))
            return false;
    }
    m_parser.byte();
    return m_parser.ok();
}

bool TObjStreamVReader::property(QObject* target, QByteArrayView name, const StreamValue& v,
                                 bool root, int depth)
{
    const ClassProperties& props = propertiesOf(target->metaObject());
    int i = props.index.indexOf(name);
    QByteArrayView sub;
    if (i < 0) {
        const qsizetype dot = name.indexOf('.');
        if (dot < 0)
            return true; // unknown: skipped
        i = props.index.indexOf(name.first(dot));
        if (i < 0)
            return true;
        sub = name.sliced(dot + 1);
    }
    const QMetaProperty& p = props.properties.at(i);
    const Kind kind = kindOf(p);
    if (kind == Kind::Font)
        return sub.isEmpty() || font(target, p, sub, v);
    if (kind == Kind::Image || kind == Kind::Pixmap)
        return sub.isEmpty() || picture(target, p, sub, v);
    if (kind == Kind::Object) {
        QObject* held = p.read(target).value<QObject*>();
        if (sub.isEmpty() || !held || depth >= MaxDepth || (held->parent() != target && !root))
            return true;
        return property(held, sub, v, false, depth + 1);
    }
    if (!sub.isEmpty() || !p.isWritable())
        return true;
    return simple(target, p, v);
}

bool TObjStreamVReader::simple(QObject* target, const QMetaProperty& p, const StreamValue& v)
{
    QVariant value;
    switch (kindOf(p)) {
    case Kind::Bool:
        if (v.tag == StreamTag::True || v.tag == StreamTag::False)
            value = v.tag == StreamTag::True;
        else
            return false;
        break;
    case Kind::Integer:
    case Kind::Int64: {
        if (!v.isInteger())
            return false;
        std::int64_t low, high;
        integerRange(p, &low, &high);
        if (v.integer < low || v.integer > high)
            return false;
        value = QVariant::fromValue(qlonglong(v.integer));
        break;
    }
    case Kind::Enum: {
        const QMetaEnum e = p.enumerator();
        bool ok = false;
        int number = 0;
        if (v.tag == StreamTag::Ident) {
            number = e.keyToValue(v.bytes.toByteArray().constData(), &ok);
        } else if (v.tag == StreamTag::True || v.tag == StreamTag::False) {
            number = e.keyToValue(v.tag == StreamTag::True ? "True" : "False", &ok);
        } else if (v.isInteger() && v.integer >= std::numeric_limits<int>::min() &&
                   v.integer <= std::numeric_limits<int>::max()) {
            number = int(v.integer);
            ok = e.valueToKey(number) != nullptr;
        }
        if (!ok)
            return false;
        value = number;
        break;
    }
    case Kind::Set: {
        if (v.tag != StreamTag::Set)
            return false;
        const QMetaEnum e = p.enumerator();
        int number = 0;
        const bool known = v.eachMember([&](QByteArrayView member) {
            bool ok = false;
            number |= e.keyToValue(member.toByteArray().constData(), &ok);
            return ok;
        });
        if (!known)
            return false;
        value = number;
        break;
    }
    case Kind::Real:
        if (v.isReal())
            value = v.real;
        else if (v.isInteger())
            value = double(v.integer);
        else
            return false;
        break;
    case Kind::String: {
        if (v.bytes.size() > TObjStreamV::MaxStringBytes)
            return false;
        const std::optional<QString> s = stringOf(v);
        if (!s)
            return false;
        value = *s;
        break;
    }
    case Kind::Color: {
        std::optional<std::int64_t> number;
        if (v.tag == StreamTag::Ident)
            number = colorNumberOfName(v.bytes);
        else if (v.isInteger())
            number = v.integer;
        if (!number)
            return false;
        value = colorOfNumber(*number);
        break;
    }
    default:
        return true;
    }
    if (!value.convert(p.metaType()))
        return false;
    pending(target, p).value = value;
    return true;
}

TObjStreamVReader::Assignment& TObjStreamVReader::pending(QObject* target, const QMetaProperty& p)
{
    const QPair<const QObject*, int> key(target, p.propertyIndex());
    const auto found = m_index.constFind(key);
    if (found != m_index.cend())
        return m_assignments[*found];
    m_index.insert(key, m_assignments.size());
    m_assignments.append({target, p, p.read(target), {}, {}});
    return m_assignments.last();
}

bool TObjStreamVReader::font(QObject* target, const QMetaProperty& p, QByteArrayView sub,
                             const StreamValue& v)
{
    if (!p.isWritable())
        return true;
    Assignment& a = pending(target, p);
    QFont f = a.value.value<QFont>();
    if (sub == "Name") {
        if (v.bytes.size() > 255)
            return false;
        const std::optional<QString> s = stringOf(v);
        if (!s)
            return false;
        f.setFamily(*s);
    } else if (sub == "Height") {
        if (!v.isInteger() || v.integer < -32768 || v.integer > 32767)
            return false;
        if (v.integer != 0)
            f.setPixelSize(int(std::abs(v.integer)));
    } else if (sub == "Size") {
        if (!v.isInteger() || v.integer < -32768 || v.integer > 32767)
            return false;
        if (v.integer != 0)
            f.setPointSize(int(std::abs(v.integer)));
    } else if (sub == "Style") {
        if (v.tag != StreamTag::Set)
            return false;
        f.setBold(hasMember(v, "fsBold"));
        f.setItalic(hasMember(v, "fsItalic"));
        f.setUnderline(hasMember(v, "fsUnderline"));
        f.setStrikeOut(hasMember(v, "fsStrikeOut"));
    } else {
        return true; // Charset, Color, Pitch ...: nothing a QFont keeps
    }
    a.value = QVariant::fromValue(f);
    return true;
}

bool TObjStreamVReader::picture(QObject* target, const QMetaProperty& p, QByteArrayView sub,
                                const StreamValue& v)
{
    if (sub != "Data" || !p.isWritable())
        return true;
    if (v.tag != StreamTag::Binary)
        return false;
    if (kindOf(p) == Kind::Pixmap && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true; // a pixmap needs the window system
    pending(target, p);
    m_pictures.insert(m_index.value({target, p.propertyIndex()}), v.bytes);
    return true;
}

bool TObjStreamVReader::decodePictures()
{
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        Assignment& a = m_assignments[it.key()];
        PictureData::Decoded decoded;
        if (!PictureData::decode(it.value(), &decoded))
            return false;
        if (kindOf(a.property) == Kind::Image)
            a.value = decoded.image;
        else
            a.value = QPixmap::fromImage(decoded.image);
        const QMetaObject* meta = a.object->metaObject();
        const int i = meta->indexOfClassInfo(QByteArray("Source.") + a.property.name());
        if (i >= 0) {
            a.sourceProperty = meta->classInfo(i).value();
            a.source = decoded.original;
        }
    }
    return true;
}

QString TObjStreamV::formatError()
{
    return QStringLiteral("不正なストリーム フォーマット");
}

QByteArray TObjStreamV::write(const QObject* root)
{
    QByteArray out = Signature;
    out += objectRecord(root, true, 0);
    return out;
}

std::optional<TObjStreamV::Reading> TObjStreamV::prepare(QByteArrayView bytes, QObject* root,
                                                         QString* error)
{
    Reading reading;
    if (!bytes.startsWith(Signature) ||
        !TObjStreamVReader(bytes.sliced(Signature.size())).run(root, &reading)) {
        if (error)
            *error = formatError();
        return std::nullopt;
    }
    return reading;
}

QVariant TObjStreamV::Reading::value(const QObject* object, const char* property) const
{
    for (const Assignment& a : m_assignments)
        if (a.object == object && qstrcmp(a.property.name(), property) == 0)
            return a.value;
    return object->property(property);
}

void TObjStreamV::Reading::apply() const
{
    for (const Assignment& a : m_assignments) {
        if (!a.object)
            continue;
        a.property.write(a.object, a.value);
        if (!a.sourceProperty.isEmpty())
            a.object->setProperty(a.sourceProperty.constData(), a.source);
    }
}

bool TObjStreamV::read(QByteArrayView bytes, QObject* root, QString* error)
{
    const std::optional<Reading> reading = prepare(bytes, root, error);
    if (reading)
        reading->apply();
    return reading.has_value();
}
