#include "cli/Commands.h"
#include "common/IniFile.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "layout/PlainFace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextStream>

// tayori-cli layout FILE.tyd [--into INI]
// Loads a layout file as the preview's "保存した配置を読み込む(&R)" does, without a window, and
// prints one line per field record of the file:
// KIND ITEM FontName FontSize X Y Width Height WidthEx Lock NoView NoPrint (tab-separated).
// With --into the records are stored into that settings file's layouts.

namespace {

const char* const Usage = "usage: tayori-cli layout FILE.tyd [--into INI]\n";

QString flag(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

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

    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;

    // The face shows the layout at the zoom the file was saved at, as the window does after
    // its zoom box follows the file.
    LayoutFile::Loaded loaded;
    QString error;
    double zoom = 100.0;
    for (int pass = 0; pass < 2; ++pass) {
        PlainFace face(table, *kind, zoom, dpi);
        if (!LayoutFile::loadFile(file, &face, dpi, &loaded, &error))
            return err << error << '\n', 1;
        if (loaded.zoom == zoom)
            break;
        zoom = loaded.zoom;
    }

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const LayoutFile::FieldRecord& f : loaded.fields) {
        if (!f.inFile || f.item < 0 || f.item >= LayoutItemCount)
            continue;
        const LayoutItemRecord& r = f.record;
        out << layoutKindName(*kind) << '\t' << layoutItemName(LayoutItem(f.item)) << '\t'
            << r.FontName << '\t' << QString::number(r.FontSize) << '\t' << r.X << '\t' << r.Y
            << '\t' << r.Width << '\t' << r.Height << '\t' << r.WidthEx << '\t' << flag(r.Lock)
            << '\t' << flag(r.NoView) << '\t' << flag(r.NoPrint) << '\n';
        table.StoreLayoutItem(int(*kind), f.item, r, false);
    }
    out.flush();

    if (!into.isEmpty()) {
        table.SaveLayoutTable(settings);
        if (!settings.save(&error))
            return err << error << '\n', 1;
    }
    return 0;
}
