#pragma once

#include "compose/CardTexts.h"
#include "layout/LayoutKind.h"

#include <QString>

#include <optional>

// What a print run reads from and shows on the window that started it: the tool bar's text
// fields, the status bar, the row display, the buttons, the abort flag and the preview. The
// main window is one; tayori-cli and the tests have their own.
class PrintHost
{
public:
    virtual ~PrintHost() = default;

    // The third panel of the status bar.
    virtual void showStatus(const QString& text) = 0;
    // The one-line row display: the row text of the row being printed.
    virtual void showRowText(const QString& rowText) = 0;

    // "開始" edtStartLine, "終了" edtEndLine, "開始位置" edtStartOfPaper, "左" edtHoseiX,
    // "上" edtHoseiY, as typed.
    virtual QString startLineText() const = 0;
    virtual void setStartLineText(const QString& text) = 0;
    virtual QString endLineText() const = 0;
    virtual void setEndLineText(const QString& text) = 0;
    virtual QString startOfPaperText() const = 0;
    virtual void setStartOfPaperText(const QString& text) = 0;
    virtual QString hoseiXText() const = 0;
    virtual QString hoseiYText() const = 0;

    // True while a document is open: "印刷" and "開く" disabled, the exit button captioned
    // "印刷中断"; false gives them back and the caption "終了".
    virtual void setPrinting(bool printing) = 0;
    // Lets pending user-interface events run; the exit button can set the abort flag then.
    virtual void processEvents() = 0;
    virtual bool abortRequested() const = 0;
    virtual void setAbortRequested(bool requested) = 0;

    // The hidden field Edit1: "印刷" when the preview asked to print the card it shows.
    virtual QString edit1Text() const { return {}; }

    // The preview, while there is one: its current kind, the card being printed shown on the
    // face of `kind`, and the texts of that face as they stand (nothing without a preview).
    virtual void setPreviewKind(LayoutKind kind) { (void)kind; }
    virtual void showCardOnPreview(LayoutKind kind, const CardTexts& texts)
    {
        (void)kind;
        (void)texts;
    }
    virtual std::optional<CardTexts> previewCardTexts(LayoutKind kind) const
    {
        (void)kind;
        return std::nullopt;
    }
};
