#pragma once

#include "common/SenderInfo.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmSender;
}

// "差出人": the sender's postal code, address, company and names, and whether every card
// carries them. The main window installs what OK gives.
class TfrmSender : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSender(QWidget* parent = nullptr);
    ~TfrmSender() override;

    void setSender(const SenderInfo& sender);
    SenderInfo sender() const;

private:
    std::unique_ptr<Ui::TfrmSender> ui;
};
