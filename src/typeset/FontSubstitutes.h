#pragma once

#include <QString>
#include <QStringList>

// Layouts and settings name the Japanese system faces of the platform they were made on
// ("ＭＳ 明朝", "ＭＳ ゴシック", ...). Where those are missing, the IPA faces with the same
// widths take their place, then Noto CJK. The application, the command-line tool and the
// tests call install() once before making fonts.
class FontSubstitutes
{
public:
    // Registers the substitutions with QFont; calling it again changes nothing.
    static void install();
    // The faces tried for `family`, best first; empty for a family we do not map.
    static QStringList substitutesFor(const QString& family);
};
