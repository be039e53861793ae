#include "app/TfrmVersion.h"

#include "app/VersionInfo.h"
#include "common/Prompter.h"
#include "ui_TfrmVersion.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include <cmath>

TfrmVersion::TfrmVersion(Prompter* prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TfrmVersion>()), m_prompter(prompter)
{
    ui->setupUi(this);
    setFixedSize(387, 139);
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);

    const QPalette system = palette();
    const QColor inactiveCaption = system.color(QPalette::Inactive, QPalette::Highlight);
    const auto colour = [](QWidget* w, const QColor& text, const QColor& back) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Window, back);
        w->setPalette(p);
    };
    QFont title(QStringLiteral("Tahoma"));
    title.setPixelSize(48);
    ui->Label1->setFont(title);
    colour(ui->Label1, inactiveCaption, system.color(QPalette::Light));
    colour(ui->Label2, Qt::gray, Qt::white);
    QFont subtitle = windowFont;
    subtitle.setPixelSize(16);
    ui->Label4->setFont(subtitle);
    colour(ui->Label4, QColor(0, 0, 128), Qt::white);
    colour(ui->Label3, Qt::gray, Qt::white);
    ui->Label3->setText(QStringLiteral("\n使い方の説明とお知らせはこちら"));
    ui->Label3->setCursor(Qt::PointingHandCursor);
    QPalette gauge = ui->Gauge1->palette();
    gauge.setColor(QPalette::Highlight, inactiveCaption);
    ui->Gauge1->setPalette(gauge);

    for (QWidget* label : {ui->Label1, ui->Label2, ui->Label4, ui->Label3})
        label->installEventFilter(this);

    Timer1.setInterval(12000);
    Timer2.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &TfrmVersion::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TfrmVersion::Timer2Timer);
}

TfrmVersion::~TfrmVersion() = default;

QString TfrmVersion::VersionLine(const QString& fileVersion)
{
    return QString(41, u' ') + QStringLiteral("Ver.") + fileVersion;
}

void TfrmVersion::showEvent(QShowEvent* event)
{
    // Centred on the main window.
    if (QWidget* owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    FormShow();
    QDialog::showEvent(event);
}

void TfrmVersion::hideEvent(QHideEvent* event)
{
    Timer1.stop();
    Timer2.stop();
    QDialog::hideEvent(event);
}

void TfrmVersion::FormShow()
{
    ui->Label2->setText(VersionLine(VersionInfo::FileVersion()));
    Timer1.setInterval(12000);
    Timer2.setInterval(500);
    m_ticks = 0;
    ui->Gauge1->setValue(0);
    ui->Label5->setText(QStringLiteral("000"));
    Timer1.start();
    Timer2.start();
}

void TfrmVersion::Timer2Timer()
{
    ++m_ticks;
    const int steps = Timer1.interval() / 470;
    const int progress = int(std::lround(double(m_ticks) / steps * 100));
    ui->Gauge1->setValue(std::min(progress, 100));
    ui->Label5->setText(QString::asprintf("%.03d", progress));
}

void TfrmVersion::Timer1Timer()
{
    Timer1.stop();
    accept();
}

void TfrmVersion::Label1Click()
{
    accept();
}

void TfrmVersion::Label3Click()
{
    const QString address = VersionInfo::VersionString(QStringLiteral("Comments"));
    if (address.isEmpty()) {
        m_prompter->showError(QStringLiteral("情報の取得に失敗しました"));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

bool TfrmVersion::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Label3)
            Label3Click();
        else
            Label1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
