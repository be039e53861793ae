#include "app/SettingsFile.h"
#include "app/TForm1.h"
#include "app/WidgetPrompter.h"
#include "typeset/FontSubstitutes.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tayori"));
    QApplication::setApplicationVersion(QStringLiteral(TAYORI_VERSION));
    FontSubstitutes::install();

    WidgetPrompter prompter;
    TForm1 form(&prompter, SettingsFile::DefaultPath());
    prompter.setParentWidget(&form);
    form.show();
    // A desktop passes the file the user opened with the program (the .desktop file's %f).
    if (argc > 1)
        form.OpenFile(QString::fromLocal8Bit(argv[1]));
    return app.exec();
}
