#include "app/SettingsFile.h"

#include "common/FieldText.h"
#include "common/IniFile.h"
#include "common/SettingsText.h"
#include "common/cp932.h"
#include "common/numbers.h"
#include "layout/LayoutTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace SettingsText;

namespace {

const QString Form = QStringLiteral("Form");
const QString Menu = QStringLiteral("Menu");
const QString Option = QStringLiteral("Option");
const QString FileSection = QStringLiteral("File");
const QString FILESection = QStringLiteral("FILE");
const QString SenderSection = QStringLiteral("Sender");

// The sender's texts by key; texts outside code page 932 travel as the paths do ("NameU").
struct SenderKey
{
    const char* key;
    QString SenderInfo::*text;
};
const SenderKey SenderKeys[] = {
    {"Yubin", &SenderInfo::yubin},     {"Jyusho1", &SenderInfo::jyusho1},
    {"Jyusho2", &SenderInfo::jyusho2}, {"Kaishamei", &SenderInfo::kaishamei},
    {"Name", &SenderInfo::name},       {"Renmei", &SenderInfo::renmei},
};
const char* const KindNames[] = {"TT", "TY", "YT", "YY"};
// The largest size a widget can take.
constexpr qint64 MaxWindowCoordinate = 16777215;

// A whole number as the settings write it, or nothing.
std::optional<int> strictInt(QString text)
{
    text.remove(u',');
    text.remove(u' ');
    int v = 0;
    if (!numbers::parseInt(text, &v))
        return std::nullopt;
    return v;
}

struct Reader
{
    const IniFile& ini;
    // The value of a present key, or nothing for a missing one ("ER", "IR", empty).
    std::optional<QString> value(const QString& section, const QString& key) const
    {
        const QString v = ReadSetting(ini, section, key);
        if (IsMissingValue(v))
            return std::nullopt;
        return v;
    }
    void readBool(const QString& section, const QString& key, bool& target) const
    {
        if (const auto v = value(section, key))
            target = IsTrueText(*v);
    }
};

// Held while the file is read and written again: two programs saving at once (both windows
// at a logout) take turns, so neither writes over what the other has just written.
class FolderLock
{
public:
    explicit FolderLock(const QString& file)
    {
#ifdef Q_OS_UNIX
        const QFileInfo info(file);
        const QString folder =
            (info.isSymLink() ? QFileInfo(info.symLinkTarget()) : info).absolutePath();
        m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // Without a lock (a file system that has none) the save goes on as before.
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
#else
        Q_UNUSED(file);
#endif
    }
    ~FolderLock()
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace

bool SettingsFile::ReadSettings(const QString& path, SettingsState& state, LayoutTable& layouts,
                                QString* error)
{
    IniFile ini;
    const bool readable = ini.load(path, error);
    apply(ini, QFileInfo::exists(path), state, layouts);
    return readable;
}

void SettingsFile::apply(const IniFile& ini, bool fileExists, SettingsState& state,
                         LayoutTable& layouts)
{
    const Reader r{ini};

    // Form: a present but unreadable value falls back to a small window.
    const std::pair<const char*, int> geometryKeys[] = {
        {"top", 100}, {"left", 100}, {"width", 649}, {"height", 318}};
    qint64 top = state.geometry.top();
    qint64 left = state.geometry.left();
    qint64 width = state.geometry.width();
    qint64 height = state.geometry.height();
    for (const auto& [key, fallback] : geometryKeys) {
        const auto v = r.value(Form, QString::fromLatin1(key));
        if (!v)
            continue;
        const int n = strictInt(*v).value_or(fallback);
        const QByteArrayView k(key);
        (k == "top" ? top : k == "left" ? left : k == "width" ? width : height) = n;
    }
    // Sizes no window can have (a rectangle whose edge overflows) give the initial geometry;
    // the window keeps the rest within the screen.
    const auto fits = [](qint64 v) {
        return v >= -MaxWindowCoordinate && v <= MaxWindowCoordinate;
    };
    if (fits(top) && fits(left) && fits(width) && fits(height) && fits(left + width) &&
        fits(top + height))
        state.geometry = QRect(int(left), int(top), int(width), int(height));
    else
        state.geometry = SettingsState().geometry;
    QPoint preview = state.effectivePreviewPosition();
    if (const auto v = r.value(Form, QStringLiteral("PreViewLeft")))
        preview.setX(strictInt(*v).value_or(preview.x()));
    if (const auto v = r.value(Form, QStringLiteral("PreViewTop")))
        preview.setY(strictInt(*v).value_or(preview.y()));
    state.previewPosition = preview;

    SessionOptions& o = state.options;
    r.readBool(Menu, QStringLiteral("UseKeisho"), o.useDefaultHonorifics);
    r.readBool(Menu, QStringLiteral("NameSpacing"), o.spaceBetweenName);
    r.readBool(Menu, QStringLiteral("JointByHyphone"), o.joinByHyphen);
    r.readBool(Menu, QStringLiteral("NoSetPrinter"), state.noSetPrinter);
    r.readBool(Menu, QStringLiteral("ReadData"), state.reopenLastList);
    for (int k = 0; k < 4; ++k)
        r.readBool(Menu, QStringLiteral("UseZipNoErea") + QLatin1String(KindNames[k]),
                   o.useZipBoxes[size_t(k)]);
    r.readBool(Menu, QStringLiteral("UseNonYunicodeFont"), o.useNonUnicodeFont);
    // A first start (no settings file at all) puts the digits in the card's boxes; a file
    // written before the option existed keeps them at the layout, as it printed them.
    if (!fileExists)
        o.zipInBoxes = {true, true, true, true};
    for (int k = 0; k < 4; ++k)
        r.readBool(Menu, QStringLiteral("ZipInBoxes") + QLatin1String(KindNames[k]),
                   o.zipInBoxes[size_t(k)]);
    if (const auto v = r.value(Menu, QStringLiteral("UseKeisho1")))
        o.defaultHonorific1 = *v;
    if (const auto v = r.value(Menu, QStringLiteral("UseKeisho2")))
        o.defaultHonorific2 = *v;
    // Always applied: the byte length of the spacing, 2 for the ideographic space.
    o.nameSpacingText = IntOfText(ReadSetting(ini, Menu, QStringLiteral("NameSpace"))) >= 2
                            ? QString(QChar(0x3000))
                            : QStringLiteral(" ");

    if (const auto v = r.value(Option, QStringLiteral("Paper"))) {
        const int paper = IntOfText(*v);
        state.paper = paper == 0   ? SettingsState::Postcard
                      : paper == 1 ? SettingsState::A4
                                   : SettingsState::A3;
    }
    if (const auto v = r.value(Option, QStringLiteral("StartOfPaper")))
        state.startOfPaper = *v;
    if (const auto v = r.value(Option, QStringLiteral("Hosei"))) {
        const QByteArray bytes = cp932::fromUnicode(*v);
        state.hoseiX = cp932::toUnicode(NthField(bytes, 1).field);
        state.hoseiY = cp932::toUnicode(NthField(bytes, 2).field);
    }
    r.readBool(Option, QStringLiteral("BarCode"), o.useCustomerBarcode);
    r.readBool(Option, QStringLiteral("BarCodeFromAddress"), o.barcodeFromAddress);
    // Not a whole number from 0 to 3: the radio buttons stay as they are.
    if (const auto v = r.value(Option, QStringLiteral("ReadData"))) {
        const auto kind = strictInt(*v);
        if (kind && *kind >= 0 && *kind < LayoutKindCount)
            state.layoutKind = LayoutKind(*kind);
    }

    r.readBool(SenderSection, QStringLiteral("Print"), o.sender.print);
    for (const SenderKey& k : SenderKeys) {
        const QString v = ReadPathSetting(ini, SenderSection, QLatin1String(k.key));
        if (!IsMissingValue(v))
            o.sender.*k.text = v;
    }

    layouts.setDefaults();
    layouts.LoadLayoutTable(ini);

    for (int k = 0; k < 4; ++k) {
        const QString v = ReadPathSetting(
            ini, FileSection, QStringLiteral("BackImageFile") + QLatin1String(KindNames[k]));
        state.backImage[size_t(k)] = !IsMissingValue(v) && QFileInfo::exists(v) ? v : QString();
    }
    state.columnMappings.load(ini);
}

bool SettingsFile::WriteSettings(const QString& path, const SettingsState& state,
                                 const LayoutTable& layouts, QString* error)
{
    const FolderLock lock(path);
    IniFile ini;
    if (!OpenSettingsForWrite(path, &ini, error))
        return false;
    store(ini, state, layouts);
    return ini.save(error);
}

void SettingsFile::store(IniFile& ini, const SettingsState& state, const LayoutTable& layouts)
{
    const auto put = [&ini](const QString& section, const QString& key, const QString& value) {
        WriteSetting(ini, section, key, value);
    };
    const QPoint preview = state.effectivePreviewPosition();
    put(Form, QStringLiteral("top"), QString::number(state.geometry.y()));
    put(Form, QStringLiteral("left"), QString::number(state.geometry.x()));
    put(Form, QStringLiteral("width"), QString::number(state.geometry.width()));
    put(Form, QStringLiteral("height"), QString::number(state.geometry.height()));
    put(Form, QStringLiteral("PreViewLeft"), QString::number(preview.x()));
    put(Form, QStringLiteral("PreViewTop"), QString::number(preview.y()));
    for (int k = 0; k < 4; ++k)
        if (!state.backImage[size_t(k)].isEmpty())
            WritePathSetting(ini, FileSection,
                             QStringLiteral("BackImageFile") + QLatin1String(KindNames[k]),
                             state.backImage[size_t(k)]);

    const SessionOptions& o = state.options;
    put(Menu, QStringLiteral("NameSpacing"), BoolText(o.spaceBetweenName));
    put(Menu, QStringLiteral("NoSetPrinter"), BoolText(state.noSetPrinter));
    put(Menu, QStringLiteral("ReadData"), BoolText(state.reopenLastList));
    put(Menu, QStringLiteral("JointByHyphone"), BoolText(o.joinByHyphen));
    put(Menu, QStringLiteral("UseKeisho"), BoolText(o.useDefaultHonorifics));
    for (int k = 0; k < 4; ++k)
        put(Menu, QStringLiteral("UseZipNoErea") + QLatin1String(KindNames[k]),
            BoolText(o.useZipBoxes[size_t(k)]));
    put(Menu, QStringLiteral("UseNonYunicodeFont"), BoolText(o.useNonUnicodeFont));
    put(Menu, QStringLiteral("UseKeisho1"), o.defaultHonorific1);
    put(Menu, QStringLiteral("UseKeisho2"), o.defaultHonorific2);
    put(Menu, QStringLiteral("NameSpace"), QString::number(cp932::byteLength(o.nameSpacingText)));
    for (int k = 0; k < 4; ++k)
        put(Menu, QStringLiteral("ZipInBoxes") + QLatin1String(KindNames[k]),
            BoolText(o.zipInBoxes[size_t(k)]));
    if (!state.dataFile.isEmpty())
        WritePathSetting(ini, FILESection, QStringLiteral("DataFile"), state.dataFile);
    put(Option, QStringLiteral("Paper"), QString::number(state.paper));
    put(Option, QStringLiteral("StartOfPaper"), state.startOfPaper);
    put(Option, QStringLiteral("Hosei"), state.hoseiX + u',' + state.hoseiY);
    put(Option, QStringLiteral("BarCode"), BoolText(o.useCustomerBarcode));
    put(Option, QStringLiteral("BarCodeFromAddress"), BoolText(o.barcodeFromAddress));
    put(Option, QStringLiteral("ReadData"), QString::number(int(state.layoutKind)));
    put(SenderSection, QStringLiteral("Print"), BoolText(o.sender.print));
    for (const SenderKey& k : SenderKeys)
        WritePathSetting(ini, SenderSection, QLatin1String(k.key), o.sender.*k.text);
    layouts.SaveLayoutTable(ini);
    state.columnMappings.save(ini);
}

SettingsFile::SettingsFile(const QString& path) : m_path(path) {}

bool SettingsFile::read(SettingsState& state, LayoutTable& layouts, QString* error)
{
    const bool readable = m_known.load(m_path, error);
    apply(m_known, QFileInfo::exists(m_path), state, layouts);
    // What the session starts with: a later save writes what differs from it.
    store(m_known, state, layouts);
    return readable;
}

bool SettingsFile::write(const SettingsState& state, const LayoutTable& layouts, QString* error)
{
    if (error)
        error->clear();
    IniFile mine = m_known;
    store(mine, state, layouts);

    // The file as it is now: what other windows or tayori-cli wrote since stays, unless this
    // session changed the same setting. Settings the file lacks are filled in, so that the
    // file is whole (a file without a key reads otherwise than no file at all).
    const FolderLock lock(m_path);
    IniFile now;
    if (!OpenSettingsForWrite(m_path, &now, error))
        return false;
    bool changed = false;
    for (const QString& section : mine.sections())
        for (const QString& key : mine.keys(section)) {
            const QString value = mine.value(section, key);
            const bool mineChanged =
                !m_known.contains(section, key) || m_known.value(section, key) != value;
            if ((mineChanged || !now.contains(section, key)) && now.value(section, key) != value) {
                now.setValue(section, key, value);
                changed = true;
            }
        }
    if (changed && !now.save(error))
        return false;
    m_known = std::move(mine);
    return true;
}

bool SettingsFile::IsSystemFolder(const QString& folder)
{
    // Where the system's package manager puts programs: never a place for one user's file.
    static const QStringList systemFolders = {QStringLiteral("/usr"),   QStringLiteral("/bin"),
                                              QStringLiteral("/sbin"),  QStringLiteral("/lib"),
                                              QStringLiteral("/lib64"), QStringLiteral("/opt"),
                                              QStringLiteral("/snap"),  QStringLiteral("/app")};
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    for (const QString& system : systemFolders)
        if (clean == system || clean.startsWith(system + u'/'))
            return true;
    return false;
}

QString SettingsFile::DefaultPathIn(const QString& executableFolder, const QString& name,
                                    const QString& configFolder)
{
    const QString beside = QDir(executableFolder).filePath(name + QStringLiteral(".ini"));
    if (!IsSystemFolder(executableFolder) &&
        (QFileInfo::exists(beside) || QFileInfo(executableFolder).isWritable()))
        return beside;
    return QDir(configFolder).filePath(QStringLiteral("tayori.ini"));
}

QString SettingsFile::DefaultPath(const QString& baseName)
{
    const QFileInfo info(QCoreApplication::applicationFilePath());
    const QString name = baseName.isEmpty() ? info.completeBaseName() : baseName;
    // The window's configuration folder (AppConfigLocation of the application "Tayori"), also
    // for tayori-cli, which reads the window's settings.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/Tayori");
    const QString path = DefaultPathIn(info.absolutePath(), name, config);
    if (path.startsWith(config))
        QDir().mkpath(config);
    return path;
}
