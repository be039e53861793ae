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
    layouts.SaveLayoutTable(out);
    LayoutTable back;
    back.setDefaults();
    IniFile again;
    again.parse(out.toBytes());
    back.LoadLayoutTable(again);
    for (int k = 0; k < LayoutKindCount; ++k)
        for (int i = 0; i < LayoutItemCount; ++i)
            if (!(back.record(LayoutKind(k), LayoutItem(i)) ==
                  layouts.record(LayoutKind(k), LayoutItem(i))))
                std::abort();
    return 0;
}
