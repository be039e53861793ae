#pragma once

#include <QList>
#include <QString>

#include <optional>

class AddressGrid;

// Rows the list marks as not to be sent this year. A column headed "印刷" or "送付" says no
// with "×", "0", "しない", "不要" and the like; a column headed "喪中" is read the other way
// round: any mark in it ("○", "1", "有", a note of who died) means the household is in
// mourning, and only a blank or a plain no ("0", "×", "なし") lets the card go. Such a row is
// left out of printing and marked wherever the list is shown for checking.
class SendMarks
{
public:
    enum class Rule
    {
        NotToSend, // "印刷" or "送付" says no
        Mourning,  // "喪中" holds a mark
    };

    // Why a row is left out: the header of the column and the cell as written.
    struct Reason
    {
        QString header;
        QString value;
        Rule rule = Rule::NotToSend;
        // "喪中「○」".
        QString text() const;
    };

    // Finds the marking columns in the grid's header row.
    explicit SendMarks(const AddressGrid& grid);

    bool hasColumns() const { return !m_columns.isEmpty(); }
    // The reason of the first marking column that leaves the row out, or nothing for a row
    // to send.
    std::optional<Reason> reason(int row) const;

    // The rule of a header, or nothing for a column that marks nothing; the part after a "|"
    // is the header's note.
    static std::optional<Rule> MarkingRule(const QString& headerCell);
    static bool IsMarkingHeader(const QString& headerCell)
    {
        return MarkingRule(headerCell).has_value();
    }
    // Whether `cell` leaves its row out under `rule`.
    static bool LeavesOut(Rule rule, const QString& cell);

    // "2 件は送らない行として印刷しません（行 3 喪中「○」、行 7 送付「不要」）。喪中の欄に印の
    // ある行と、送付の欄が ×、0、しない、不要 などの行は送りません".
    static QString LeftOutMessage(const QList<QPair<int, Reason>>& rows);

private:
    const AddressGrid& m_grid;
    QList<QPair<int, Rule>> m_columns;
};
