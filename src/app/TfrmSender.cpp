#include "app/TfrmSender.h"

#include "ui_TfrmSender.h"

TfrmSender::TfrmSender(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmSender>())
{
    ui->setupUi(this);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSender::~TfrmSender() = default;

void TfrmSender::setSender(const SenderInfo& sender)
{
    ui->edtYubin->setText(sender.yubin);
    ui->edtJyusho1->setText(sender.jyusho1);
    ui->edtJyusho2->setText(sender.jyusho2);
    ui->edtKaishamei->setText(sender.kaishamei);
    ui->edtName->setText(sender.name);
    ui->edtRenmei->setText(sender.renmei);
    ui->chkPrint->setChecked(sender.print);
}

SenderInfo TfrmSender::sender() const
{
    SenderInfo s;
    s.print = ui->chkPrint->isChecked();
    s.yubin = ui->edtYubin->text();
    s.jyusho1 = ui->edtJyusho1->text();
    s.jyusho2 = ui->edtJyusho2->text();
    s.kaishamei = ui->edtKaishamei->text();
    s.name = ui->edtName->text();
    s.renmei = ui->edtRenmei->text();
    return s;
}
