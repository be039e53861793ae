#include "app/SettingsFile.h"
#include "cli/ListLoading.h"
#include "common/IniFile.h"
#include "common/Prompter.h"

// Apart from the list loading: the settings file's place is the window's, and the cells
// command, which loads lists without remembered answers, links no window code.

std::optional<RememberedMappings> ReadRememberedMappings(const QString& path, Prompter& prompter)
{
    IniFile ini;
    QString error;
    if (!ini.load(path.isEmpty() ? SettingsFile::DefaultPath(QStringLiteral("tayori")) : path,
                  &error)) {
        prompter.showError(QStringLiteral("設定を読み込めませんでした: ") + error);
        return std::nullopt;
    }
    RememberedMappings remembered;
    remembered.load(ini);
    return remembered;
}
