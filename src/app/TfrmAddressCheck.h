#pragma once

#include "postal/AddressCheck.h"

#include <QDialog>

class SendMarks;

#include <memory>

namespace Ui {
class TfrmAddressCheck;
}

// The rows that the address check reports, with their reasons. Double-clicking a row (or
// Enter on it) asks the main window to select that row of the grid; the window stays open
// while the user corrects the list.
class TfrmAddressCheck : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAddressCheck(QWidget* parent = nullptr);
    ~TfrmAddressCheck() override;

    // Rows that `marks` says are not to be sent are shown greyed, with the reason, so the
    // user need not correct a card that does not go out.
    void setFindings(const QList<AddressCheck::Finding>& findings, const QString& summary,
                     const SendMarks* marks = nullptr);
    int findingCount() const;
    // The grid row of list line `line`.
    int gridRow(int line) const;

Q_SIGNALS:
    void rowChosen(int gridRow);

private:
    std::unique_ptr<Ui::TfrmAddressCheck> ui;
};
