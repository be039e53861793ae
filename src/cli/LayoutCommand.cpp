#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "common/IniFile.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "preview/TfrmPreView.h"

#include <QTextStream>

// tayori-cli layout FILE.tyd [--into INI]
// Loads a layout file through the preview's own "保存した配置を読み込む(&R)" (the window is made,
// never shown), so a file is taken or refused here exactly as there, and prints one line per
// field record of the file as the layout then holds it:
// KIND ITEM FontName FontSize X Y Width Height WidthEx Lock NoView NoPrint (tab-separated).
// Refusals and the values the layout replaced go to standard error. With --into the records
// are stored into that settings file's layouts.

namespace {

const char* const Usage = "usage: tayori-cli layout FILE.tyd [--into INI]\n";

QString flag(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

// The window tells the replaced values in one box; here each is a line of its own.
class LayoutPrompter : public ConsolePrompter
{
public:
    using ConsolePrompter::ConsolePrompter;
    void showMessage(const QString& text) override
    {
        for (const QString& line : text.split(u'\n'))
            ConsolePrompter::showMessage(line);
    }
};

} // namespace

int runLayoutCommand(const QStringList& args)
{
    QTextStream err(stderr);
    QString file, into;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--into" && i + 1 < args.size())
            into = args[++i];
        else if (file.isEmpty() && !args[i].startsWith(u"--"))
            file = args[i];
        else
            return err << Usage, 2;
    }
    if (file.isEmpty())
        return err << Usage, 2;

    const std::optional<LayoutKind> kind = LayoutFile::kindOfFileName(file);
    if (!kind) {
        // The window ignores such a file silently; a script needs to know.
        err << QStringLiteral("%1: ファイル名に配置の種類 (TT, TY, YT, YY) がありません\n")
                   .arg(file);
        return 1;
    }

    IniFile settings;
    LayoutTable table;
    if (!into.isEmpty()) {
        QString error;
        if (!settings.load(into, &error))
            return err << error << '\n', 1;
        table.LoadLayoutTable(settings);
    }

    LayoutPrompter prompter(file);
    TfrmPreView window(&table, &prompter);
    LayoutFile::Loaded loaded;
    if (!window.LoadLayoutFile(file, &loaded))
        return 1;

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const LayoutFile::FieldRecord& f : loaded.fields) {
        const LayoutItemRecord& r = table.record(*kind, LayoutItem(f.item));
        out << layoutKindName(*kind) << '\t' << layoutItemName(LayoutItem(f.item)) << '\t'
            << r.FontName << '\t' << QString::number(r.FontSize) << '\t' << r.X << '\t' << r.Y
            << '\t' << r.Width << '\t' << r.Height << '\t' << r.WidthEx << '\t' << flag(r.Lock)
            << '\t' << flag(r.NoView) << '\t' << flag(r.NoPrint) << '\n';
    }
    out.flush();

    if (!into.isEmpty()) {
        table.SaveLayoutTable(settings);
        QString error;
        if (!settings.save(&error))
            return err << error << '\n', 1;
    }
    return 0;
}
