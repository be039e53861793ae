#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <memory>

namespace Ui {
class TfrmAdjustPosition;
}

// After the calibration sheet: the user types where the cross-hair landed against the real
// card's postal box (millimetres, right and down positive) and sees the position correction
// "左" and "上" that will move the print back onto the box.
class TfrmAdjustPosition : public QDialog
{
    Q_OBJECT
public:
    // `hoseiX` and `hoseiY` are the correction the sheet was printed with, as typed.
    TfrmAdjustPosition(const QString& hoseiX, const QString& hoseiY, QWidget* parent = nullptr);
    ~TfrmAdjustPosition() override;

    // The new 左 and 上 in 1/10 mm.
    QPoint corrected() const;

private:
    void showResult();

    std::unique_ptr<Ui::TfrmAdjustPosition> ui;
    QString m_hoseiX;
    QString m_hoseiY;
};
