#include "addresslist/SendMarks.h"

#include "addresslist/AddressGrid.h"
#include "common/TextHelpers.h"

#include <QStringList>

namespace {

// The cell as the user reads it: quotes and blanks around it do not count.
QString plain(const QString& cell)
{
    return TrimBlanks(StripQuotes(cell));
}

// Widths and letter case do not count either: "０", "ＴＲＵＥ" and "True" are "0" and "true".
QString folded(const QString& cell)
{
    return plain(cell).normalized(QString::NormalizationForm_KC).toCaseFolded();
}

// A "印刷" or "送付" cell that says no.
bool saysNo(const QString& value)
{
    static const QStringList no = {u"×"_qs,    u"✕"_qs,      u"0"_qs,     u"しない"_qs,
                                   u"不要"_qs, u"喪中"_qs,   u"無"_qs,    u"無し"_qs,
                                   u"なし"_qs, u"いいえ"_qs, u"false"_qs, u"no"_qs};
    return no.contains(value);
}

// A "喪中" cell that holds no mark: the household is not in mourning.
bool holdsNoMark(const QString& value)
{
    static const QStringList none = {u"0"_qs,     u"×"_qs,    u"✕"_qs,    u"✗"_qs,    u"x"_qs,
                                     u"無"_qs,    u"無し"_qs, u"なし"_qs, u"ない"_qs, u"いいえ"_qs,
                                     u"false"_qs, u"no"_qs,   u"n"_qs};
    return value.isEmpty() || none.contains(value) ||
           (value.size() == 1 && IsHyphenLookAlike(value[0]));
}

} // namespace

QString SendMarks::Reason::text() const
{
    return header + u'「' + value + u'」';
}

SendMarks::SendMarks(const AddressGrid& grid) : m_grid(grid)
{
    if (grid.rowCount() < 1)
        return;
    for (int column = 1; column < grid.columnCount(); ++column)
        if (const std::optional<Rule> rule = MarkingRule(grid.cell(column, 0)))
            m_columns.append({column, *rule});
}

std::optional<SendMarks::Rule> SendMarks::MarkingRule(const QString& headerCell)
{
    // Exact names only: "印刷コード" holds "印刷" but is the barcode's column.
    const QString name = plain(headerCell.section(u'|', 0, 0));
    if (name == u"印刷" || name == u"送付")
        return Rule::NotToSend;
    if (name == u"喪中")
        return Rule::Mourning;
    return std::nullopt;
}

bool SendMarks::LeavesOut(Rule rule, const QString& cell)
{
    const QString value = folded(cell);
    return rule == Rule::Mourning ? !holdsNoMark(value) : saysNo(value);
}

std::optional<SendMarks::Reason> SendMarks::reason(int row) const
{
    if (row < 1 || row >= m_grid.rowCount())
        return std::nullopt;
    for (const auto& [column, rule] : m_columns) {
        const QString cell = m_grid.cell(column, row);
        if (LeavesOut(rule, cell))
            return Reason{plain(m_grid.cell(column, 0).section(u'|', 0, 0)), plain(cell), rule};
    }
    return std::nullopt;
}

QString SendMarks::LeftOutMessage(const QList<QPair<int, Reason>>& rows)
{
    // A long list is cut: the count says how many there are.
    constexpr qsizetype MaxRowsNamed = 10;
    QStringList named;
    bool mourning = false;
    QStringList noHeaders;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Reason& reason = rows[i].second;
        if (i < MaxRowsNamed)
            named << QStringLiteral("行 %1 %2").arg(rows[i].first).arg(reason.text());
        if (reason.rule == Rule::Mourning)
            mourning = true;
        else if (!noHeaders.contains(reason.header))
            noHeaders << reason.header;
    }
    if (rows.size() > MaxRowsNamed)
        named << QStringLiteral("…");
    // The rules that applied, so that a column read the other way round than meant shows.
    QStringList rules;
    if (mourning)
        rules << QStringLiteral("喪中の欄に印（○、1、有 など）のある行");
    if (!noHeaders.isEmpty())
        rules << noHeaders.join(u'・') + QStringLiteral("の欄が ×、0、しない、不要 などの行");
    return QStringLiteral("%1 件は送らない行として印刷しません（%2）。%3は送りません")
        .arg(rows.size())
        .arg(named.join(u'、'))
        .arg(rules.join(QStringLiteral("と、")));
}
