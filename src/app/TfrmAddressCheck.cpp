#include "app/TfrmAddressCheck.h"

#include "addresslist/SendMarks.h"
#include "ui_TfrmAddressCheck.h"

#include <QHeaderView>

namespace {
QString reasonText(AddressMatch::Status status)
{
    switch (status) {
    case AddressMatch::Status::Missing:
        return QStringLiteral("郵便番号なし");
    case AddressMatch::Status::Unknown:
        return QStringLiteral("不明な郵便番号");
    case AddressMatch::Status::StaleCode:
        return QStringLiteral("コードが別の郵便番号");
    case AddressMatch::Status::Mismatch:
    case AddressMatch::Status::Match:
        break;
    }
    return QStringLiteral("住所と不一致");
}
} // namespace

TfrmAddressCheck::TfrmAddressCheck(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmAddressCheck>())
{
    ui->setupUi(this);
    ui->grdFindings->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    // Activation is the double-click (or a single click where the desktop says so) and Enter.
    connect(ui->grdFindings, &QTableWidget::activated, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowChosen(gridRow(index.row()));
    });
}

TfrmAddressCheck::~TfrmAddressCheck() = default;

void TfrmAddressCheck::setFindings(const QList<AddressCheck::Finding>& findings,
                                   const QString& summary, const SendMarks* marks)
{
    QTableWidget* table = ui->grdFindings;
    table->setRowCount(int(findings.size()));
    int notSent = 0;
    for (int line = 0; line < findings.size(); ++line) {
        const AddressCheck::Finding& f = findings[line];
        auto* row = new QTableWidgetItem(QString::number(f.row));
        row->setData(Qt::UserRole, f.row);
        row->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QString reason = reasonText(f.status);
        const std::optional<SendMarks::Reason> skip = marks ? marks->reason(f.row) : std::nullopt;
        if (skip)
            reason += QStringLiteral("（送らない: %1）").arg(skip->text());
        QTableWidgetItem* items[] = {row, new QTableWidgetItem(reason),
                                     new QTableWidgetItem(f.message)};
        for (int column = 0; column < 3; ++column) {
            if (skip)
                items[column]->setForeground(
                    table->palette().color(QPalette::Disabled, QPalette::Text));
            table->setItem(line, column, items[column]);
        }
        notSent += skip ? 1 : 0;
    }
    table->resizeColumnToContents(0);
    table->resizeColumnToContents(1);
    if (!findings.isEmpty())
        table->setCurrentCell(0, 0);
    ui->lblSummary->setText(
        notSent ? summary + QStringLiteral("（うち %1 件は送らない行）").arg(notSent) : summary);
}

int TfrmAddressCheck::findingCount() const
{
    return ui->grdFindings->rowCount();
}

int TfrmAddressCheck::gridRow(int line) const
{
    const QTableWidgetItem* item = ui->grdFindings->item(line, 0);
    return item ? item->data(Qt::UserRole).toInt() : -1;
}
