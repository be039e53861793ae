#include "addresslist/HeaderColumns.h"

#include "addresslist/AddressGrid.h"
#include "common/FieldText.h"
#include "common/Prompter.h"
#include "common/cp932.h"

#include <QList>

bool HeaderColumns::FindHeaderColumns(const AddressGrid& grid, Prompter* prompter)
{
    columns.fill(-1);
    const QByteArray header = cp932::fromUnicode(grid.rowText(0));
    QList<QString> fields;
    fields.reserve(grid.columnCount());
    for (int c = 0; c < grid.columnCount(); ++c)
        fields << cp932::toUnicode(NthField(header, c + 1).field);

    // The names are compared as characters, so that the bytes of two neighbouring
    // double-byte characters can never look like a name.
    bool all = true;
    for (int i = 0; i < Count; ++i) {
        for (int c = 0; c < fields.size(); ++c) {
            if (fields[c].contains(HeaderNames[size_t(i)])) {
                columns[size_t(i)] = c;
                break;
            }
        }
        all = all && columns[size_t(i)] >= 0;
    }
    if (!all && prompter)
        prompter->showMessage(MissingMessage());
    return all;
}

QString HeaderColumns::MissingMessage() const
{
    QString text = QStringLiteral("Headerを確認 ");
    for (int column : columns)
        text += QString::number(column) + u'|';
    return text;
}

bool HeaderColumns::IsAddressList(const AddressGrid& grid)
{
    const QByteArray first = cp932::fromUnicode(grid.rowText(1));
    if (first.size() - first.count(',') <= 2)
        return false;
    return grid.rowText(0).contains(u"宛先");
}
