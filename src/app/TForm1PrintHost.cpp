#include "app/TForm1PrintHost.h"

#include "app/TForm1.h"
#include "preview/TfrmPreView.h"
#include "ui_TForm1.h"

#include <QCoreApplication>

void TForm1PrintHost::showStatus(const QString& text)
{
    m_window.setStatusPanel(2, text);
}

void TForm1PrintHost::showRowText(const QString& rowText)
{
    m_ui.TntRichEdit1->setText(rowText);
}

QString TForm1PrintHost::startLineText() const
{
    return m_ui.edtStartLine->text();
}

void TForm1PrintHost::setStartLineText(const QString& text)
{
    m_ui.edtStartLine->setText(text);
}

QString TForm1PrintHost::endLineText() const
{
    return m_ui.edtEndLine->text();
}

void TForm1PrintHost::setEndLineText(const QString& text)
{
    m_ui.edtEndLine->setText(text);
}

QString TForm1PrintHost::startOfPaperText() const
{
    return m_ui.edtStartOfPaper->text();
}

void TForm1PrintHost::setStartOfPaperText(const QString& text)
{
    m_ui.edtStartOfPaper->setText(text);
}

QString TForm1PrintHost::hoseiXText() const
{
    return m_ui.edtHoseiX->text();
}

QString TForm1PrintHost::hoseiYText() const
{
    return m_ui.edtHoseiY->text();
}

void TForm1PrintHost::setPrinting(bool printing)
{
    m_ui.btnPrint->setEnabled(!printing);
    m_ui.Button2->setEnabled(!printing);
    // The menu's ways to a second run or to another list, which would pull the grid from
    // under the run, are closed too.
    m_ui.N1->setEnabled(!printing);
    m_ui.O1->setEnabled(!printing);
    m_ui.J1->setEnabled(!printing);
    // A tab switch would redraw the grid from another sheet mid-run, an edit change a row
    // being printed.
    m_ui.TabControl1->setEnabled(!printing);
    m_ui.E1->setEnabled(!printing);
    m_ui.btnExit->setText(printing ? QStringLiteral("印刷中断") : QStringLiteral("終了"));
}

void TForm1PrintHost::processEvents()
{
    QCoreApplication::processEvents();
}

bool TForm1PrintHost::abortRequested() const
{
    return m_window.AbortRequested;
}

void TForm1PrintHost::setAbortRequested(bool requested)
{
    m_window.AbortRequested = requested;
}

QString TForm1PrintHost::edit1Text() const
{
    return m_ui.Edit1->text();
}

void TForm1PrintHost::setPreviewKind(LayoutKind kind)
{
    // The face shows what prints: a move that "自動更新" off kept from the layout goes back.
    m_window.preview()->ReleaseSelection(false);
    m_window.preview()->setCurrentKind(kind);
}

void TForm1PrintHost::showCardOnPreview(LayoutKind kind, const CardTexts& texts)
{
    m_window.preview()->setCardTexts(kind, texts);
}

std::optional<CardTexts> TForm1PrintHost::previewCardTexts(LayoutKind kind) const
{
    return m_window.preview()->cardTexts(kind);
}
