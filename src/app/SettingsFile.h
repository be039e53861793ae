#pragma once

#include "addresslist/RememberedMappings.h"
#include "common/IniFile.h"
#include "common/SessionOptions.h"
#include "layout/LayoutKind.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

class LayoutTable;

// Everything the settings file keeps besides the layouts, as plain values: the main window
// copies its controls in before writing and out after reading.
struct SettingsState
{
    enum Paper
    {
        Postcard = 0,
        A4 = 1,
        A3 = 2
    };

    QRect geometry{201, 144, 915, 518};
    std::optional<QPoint> previewPosition; // unset: the main window's right edge and top
    bool noSetPrinter = false;             // menu "プリンターの用紙設定をしない(&P)"
    bool reopenLastList = false;           // menu "起動時に前回リストを読み込む(&R)"
    SessionOptions options;
    int paper = Postcard;
    QString startOfPaper = QStringLiteral("0");
    QString hoseiX = QStringLiteral("0");
    QString hoseiY = QStringLiteral("0");
    LayoutKind layoutKind = LayoutKind::TT;
    QString dataFile;                  // written only when a list is current
    std::array<QString, 4> backImage;  // the preview's background picture per LayoutKind
    RememberedMappings columnMappings; // the answers to "列の対応"

    QPoint effectivePreviewPosition() const
    {
        return previewPosition.value_or(QPoint(geometry.x() + geometry.width(), geometry.y()));
    }
};

// The INI file of the session: read once at the first showing of the main window, written
// atomically whenever the settings change. Several windows (and tayori-cli) may share it: each
// writes only the keys that it changed, so none undoes another's changes.
class SettingsFile
{
public:
    explicit SettingsFile(const QString& path = QString());
    QString path() const { return m_path; }

    // As ReadSettings, and remembers the file as read.
    bool read(SettingsState& state, LayoutTable& layouts, QString* error = nullptr);
    // Writes the settings that this session changed since it read or last wrote the file, and
    // those the file lacks, over the file as it is now: keys another window or tayori-cli
    // wrote meanwhile keep their values unless this session changed them too. Nothing to
    // write: the file is left alone, true. On failure, as WriteSettings; the changes stay to
    // be written next time.
    bool write(const SettingsState& state, const LayoutTable& layouts, QString* error = nullptr);

    // Applies the file to `state` and `layouts` in the order the settings depend on each
    // other; missing keys leave what is there. A missing file changes nothing but the layouts,
    // which get their defaults. A file that exists but cannot be read (another user's, a
    // folder) is applied as if missing and gives false, with *error "<file>: <reason>".
    static bool ReadSettings(const QString& path, SettingsState& state, LayoutTable& layouts,
                             QString* error = nullptr);

    // Writes every setting. Returns false when nothing could be written (the file stays
    // read-only, cannot be read, or saving failed); *error then says "<file>: <reason>" in
    // Japanese, and the previous file is whole.
    static bool WriteSettings(const QString& path, const SettingsState& state,
                              const LayoutTable& layouts, QString* error = nullptr);

    // The settings file's place: an installed program (its executable in a system folder,
    // /usr/bin) keeps "tayori.ini" in the user's configuration folder; a build or portable
    // folder keeps it beside the executable (named after `baseName`, by default the
    // executable's own name) when that folder is writable or the file already exists there.
    static QString DefaultPath(const QString& baseName = QString());
    static QString DefaultPathIn(const QString& executableFolder, const QString& name,
                                 const QString& configFolder);
    // /usr, /bin, /opt and the like, and what lies below them.
    static bool IsSystemFolder(const QString& folder);

private:
    static void apply(const IniFile& ini, bool fileExists, SettingsState& state,
                      LayoutTable& layouts);
    static void store(IniFile& ini, const SettingsState& state, const LayoutTable& layouts);

    QString m_path;
    IniFile m_known; // the file as read, with the session's settings as last read or written
};
