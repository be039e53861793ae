// The settings reader over any bytes: the INI layer, every value rule and the layout records.
// Writing the file out and reading it again must give the same values.
#include "common/IniFile.h"
#include "common/SettingsText.h"
#include "layout/LayoutTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniFile ini;
    ini.parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));

    LayoutTable layouts;
    layouts.setDefaults();
    layouts.LoadLayoutTable(ini);
    for (const QString& section : ini.sections()) {
        for (const QString& key : ini.keys(section)) {
            const QString v = SettingsText::ReadSetting(ini, section, key);
            SettingsText::IsTrueText(v);
            SettingsText::IntOfText(v);
        }
    }

    // What the program writes back, it reads the same way.
    IniFile out;
    out.parse(ini.toBytes());
    for (const QString& section : ini.sections())
        for (const QString& key : ini.keys(section))
            if (SettingsText::ReadSetting(ini, section, key) !=
                SettingsText::ReadSetting(out, section, key))
                std::abort();
    // Saving rounds sizes to one decimal, so the first save may change a record; after that,
    // saving and reading again must change nothing.
    const auto reload = [](const LayoutTable& from) {
        IniFile file;
        from.SaveLayoutTable(file);
        IniFile again;
        again.parse(file.toBytes());
        LayoutTable table;
        table.setDefaults();
        table.LoadLayoutTable(again);
        return table;
    };
    const LayoutTable once = reload(layouts);
    const LayoutTable twice = reload(once);
    for (int k = 0; k < LayoutKindCount; ++k)
        for (int i = 0; i < LayoutItemCount; ++i)
            if (!(once.record(LayoutKind(k), LayoutItem(i)) ==
                  twice.record(LayoutKind(k), LayoutItem(i))))
                std::abort();
    return 0;
}
