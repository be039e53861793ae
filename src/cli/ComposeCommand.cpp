#include "addresslist/AddressBook.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/HeaderColumns.h"
#include "app/SettingsFile.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"
#include "compose/CardComposer.h"
#include "layout/LayoutTable.h"
#include "postal/AddressNumber.h"
#include "typeset/ScreenTextMeasure.h"

#include <QTextStream>

// tayori-cli compose FILE ROW KIND [--settings INI]: the nine texts of one row's card, as the
// print run composes them, one "Item<TAB>text" line each.
int runComposeCommand(const QStringList& args)
{
    ConsolePrompter prompter;
    QStringList positional;
    QString settingsPath = SettingsFile::DefaultPath(QStringLiteral("tayori"));
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--settings" && i + 1 < args.size())
            settingsPath = args[++i];
        else
            positional << args[i];
    }
    bool rowOk = false;
    const int row = positional.value(1).toInt(&rowOk);
    const auto kind = layoutKindFromName(positional.value(2));
    if (positional.size() != 3 || !rowOk || !kind) {
        prompter.showError(
            QStringLiteral("usage: tayori-cli compose FILE ROW TT|TY|YT|YY [--settings INI]"));
        return 2;
    }

    SettingsState settings;
    LayoutTable layouts;
    QString settingsError;
    if (!SettingsFile::ReadSettings(settingsPath, settings, layouts, &settingsError)) {
        prompter.showError(QStringLiteral("設定を読み込めませんでした: ") + settingsError);
        return 1;
    }

    // From here on every message is about the list.
    prompter.setSubject(positional[0]);
    AddressBook book;
    HeaderColumns columns;
    if (!LoadAddressList(book, positional[0], prompter, columns, settings.columnMappings))
        return 1;
    AddressGrid& grid = book.grid();
    const auto record = ReadAddressRecord(grid, columns, row);
    if (!record) {
        prompter.showError(QStringLiteral("row %1 has no addressee").arg(row));
        return 1;
    }
    CardComposer composer(settings.options, ScreenTextMeasure());
    composer.setBarcodeDataSource(AddressNumber::barcodeDataOf);
    const double yubinSize = layouts.record(*kind, LayoutItem::YubinNo1).FontSize;
    const CardTexts card = composer.ComposeCardTexts(*record, *kind, CardComposer::Purpose::Print,
                                                     yubinSize, &grid, &columns);

    QTextStream out(stdout);
    for (int i = 0; i < LayoutItemCount; ++i) {
        QString text = card.text[size_t(i)];
        text.replace(u'\\', QStringLiteral("\\\\"))
            .replace(u'\t', QStringLiteral("\\t"))
            .replace(u'\n', QStringLiteral("\\n"));
        out << layoutItemName(LayoutItem(i)) << '\t' << text << '\n';
    }
    return 0;
}
