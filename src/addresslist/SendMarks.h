#pragma once

#include <QList>
#include <QString>

#include <optional>

class AddressGrid;

// Rows the list marks as not to be sent this year: a column headed "印刷", "送付" or "喪中"
// whose cell says "×", "0", "しない", "不要" or "喪中". Such a row is left out of printing and
// marked wherever the list is shown for checking.
class SendMarks
{
public:
    // Why a row is left out: the header of the column and the cell as written.
    struct Reason
    {
        QString header;
        QString value;
        // "喪中「喪中」".
        QString text() const;
    };

    // Finds the marking columns in the grid's header row.
    explicit SendMarks(const AddressGrid& grid);

    bool hasColumns() const { return !m_columns.isEmpty(); }
    // The reason of the first marking column that says no, or nothing for a row to send.
    std::optional<Reason> reason(int row) const;

    // A header that is one of the three names; the part after a "|" is the header's note.
    static bool IsMarkingHeader(const QString& headerCell);
    // A cell that says no.
    static bool IsNoValue(const QString& cell);

    // "2 件は送らない行として印刷しません（行 3 喪中「喪中」、行 7 送付「不要」）".
    static QString LeftOutMessage(const QList<QPair<int, Reason>>& rows);

private:
    const AddressGrid& m_grid;
    QList<int> m_columns;
};
