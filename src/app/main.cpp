#include "app/QtTranslations.h"
#include "app/SettingsFile.h"
#include "app/TForm1.h"
#include "app/TerminationSignals.h"
#include "app/WidgetPrompter.h"
#include "typeset/FontSubstitutes.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {
const char* const Usage = "usage: tayori [FILE]\n"
                          "  FILE        an address list (.xls, .xlsx, .ods, .vcf, .csv, .csvu, "
                          ".txt) or a layout file (.tyd) to open\n"
                          "  --help      this text\n"
                          "  --version   the program's version\n";
}

int main(int argc, char* argv[])
{
    // Answered before a window or a display is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tayori %s\n", TAYORI_VERSION);
            return 0;
        }
    }

    // From here a logout or shutdown ends the program through its event loop, which saves the
    // settings; a signal that comes while the window is made waits for the loop.
    TerminationSignals::install();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tayori"));
    QApplication::setApplicationVersion(QStringLiteral(TAYORI_VERSION));
    // Qt's options (-platform, -style…) are gone from the arguments now; any other is unknown.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1 && arguments[1].startsWith(u'-')) {
        std::fprintf(stderr, "tayori: unknown option %s\n%s", qPrintable(arguments[1]), Usage);
        return 2;
    }
    QtTranslations::install(app);
    FontSubstitutes::install();

    TerminationSignals terminations;
    // exit(), not quit(): quit() would close the window, which asks "終了しますか".
    QObject::connect(&terminations, &TerminationSignals::received, &app,
                     [] { QCoreApplication::exit(0); });

    WidgetPrompter prompter;
    TForm1 form(&prompter, SettingsFile::DefaultPath());
    prompter.setParentWidget(&form);
    form.show();
    // A desktop passes the file the user opened with the program (the .desktop file's %f).
    if (arguments.size() > 1)
        form.OpenFile(arguments[1]);
    return app.exec();
}
