#pragma once

#include "print/PrintHost.h"

class TForm1;

namespace Ui {
class TForm1;
}

// The main window as a print run sees it: its tool bar fields, status bar, row display,
// buttons, abort flag and preview.
class TForm1PrintHost : public PrintHost
{
public:
    TForm1PrintHost(TForm1& window, Ui::TForm1& ui) : m_window(window), m_ui(ui) {}

    void showStatus(const QString& text) override;
    void showRowText(const QString& rowText) override;
    QString startLineText() const override;
    void setStartLineText(const QString& text) override;
    QString endLineText() const override;
    void setEndLineText(const QString& text) override;
    QString startOfPaperText() const override;
    void setStartOfPaperText(const QString& text) override;
    QString hoseiXText() const override;
    QString hoseiYText() const override;
    void setPrinting(bool printing) override;
    void processEvents() override;
    bool abortRequested() const override;
    void setAbortRequested(bool requested) override;
    QString edit1Text() const override;
    void setPreviewKind(LayoutKind kind) override;
    void showCardOnPreview(LayoutKind kind, const CardTexts& texts) override;
    std::optional<CardTexts> previewCardTexts(LayoutKind kind) const override;

private:
    TForm1& m_window;
    Ui::TForm1& m_ui;
};
