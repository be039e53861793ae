#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

class Prompter;

namespace Ui {
class TfrmVersion;
}

// The version window: the product's name and version and a link, with a thin gauge that fills
// while the window waits 12 seconds to close itself. A click on the name or the version lines
// closes it at once.
class TfrmVersion : public QDialog
{
    Q_OBJECT
public:
    // `prompter` tells a link without an address; it must outlive the window.
    explicit TfrmVersion(Prompter* prompter, QWidget* parent = nullptr);
    ~TfrmVersion() override;

    // 41 spaces, "Ver." and the program's version.
    static QString VersionLine(const QString& fileVersion);

    // The closing timer (12 s) and the progress timer (500 ms).
    QTimer Timer1;
    QTimer Timer2;
    int ticks() const { return m_ticks; }

public Q_SLOTS:
    void FormShow();
    void Timer1Timer();
    void Timer2Timer();
    void Label1Click();
    void Label3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmVersion> ui;
    Prompter* m_prompter;
    int m_ticks = 0;
};
