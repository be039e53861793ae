// The main window's side of the preview: showing it, following the radio buttons and the
// grid's current row.
#include "addresslist/AddressRecord.h"
#include "addresslist/HeaderColumns.h"
#include "app/TForm1.h"
#include "compose/CardComposer.h"
#include "postal/AddressNumber.h"
#include "preview/TfrmPreView.h"
#include "typeset/ScreenTextMeasure.h"
#include "ui_TForm1.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

void TForm1::createPreview()
{
    frmPreView = new TfrmPreView(&m_layouts, m_prompter, this);
    frmPreView->setObjectName(QStringLiteral("frmPreView"));
    frmPreView->setSessionOptions(&m_options);
    connect(frmPreView, &TfrmPreView::kindChosen, this, [this](LayoutKind kind) {
        setRadioChecked(isLandscape(kind) ? ui->rdoYokoOki : ui->rdoTateOki, true);
        setRadioChecked(isHorizontalWriting(kind) ? ui->rdoYokoGaki : ui->rdoTateGaki, true);
        rdoYokoOkiClick();
    });
    connect(frmPreView, &TfrmPreView::printShownCard, this,
            [this] { ui->Edit1->setText(QStringLiteral("印刷")); });
    connect(frmPreView, &TfrmPreView::closed, this, [this] {
        m_previewPosition = frmPreView->pos();
        settingsChanged();
    });
    connect(frmPreView, &TfrmPreView::layoutChanged, this, &TForm1::settingsChanged);
}

bool TForm1::previewAutoUpdate() const
{
    return frmPreView->autoUpdate();
}

void TForm1::setPreviewAutoUpdate(bool on)
{
    frmPreView->setAutoUpdate(on);
}

void TForm1::purebyu1Click()
{
    const LayoutKind kind = currentLayoutKind();
    frmPreView->setKindButtons(kind);
    frmPreView->setCurrentKind(kind);
    // At the right edge of the screen, at the remembered height.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const int top = qBound(available.top(), m_previewPosition ? m_previewPosition->y() : y(),
                           available.bottom() - 100);
    // Placed before it is mapped too: the window manager then puts the frame, not the window
    // inside it, at that corner.
    frmPreView->placeOnScreen(available, top);
    if (!frmPreView->isVisible())
        frmPreView->show();
    else
        frmPreView->reshow();
    frmPreView->placeOnScreen(available, top);
    frmPreView->raise();
    // The window manager frames the window after it is shown: place it again with the frame.
    QTimer::singleShot(0, frmPreView,
                       [this, available, top] { frmPreView->placeOnScreen(available, top); });
    ShowRecord(ui->TntStringGrid1->currentIndex().row());
}

void TForm1::rdoYokoOkiClick()
{
    if (!frmPreView || !frmPreView->isVisible())
        return;
    const LayoutKind kind = currentLayoutKind();
    frmPreView->setCurrentKind(kind);
    frmPreView->setKindButtons(kind);
    frmPreView->reshow();
    ShowRecord(ui->TntStringGrid1->currentIndex().row());
}

void TForm1::ShowRecord(int row)
{
    // The grid selects its first cell while the window is made, before the preview exists.
    if (!frmPreView || !frmPreView->isVisible())
        return;
    AddressGrid& grid = m_book.grid();
    if (!HeaderColumns::IsAddressList(grid))
        return;
    HeaderColumns columns;
    if (!columns.FindHeaderColumns(grid, m_prompter))
        return;
    const std::optional<AddressRecord> record = ReadAddressRecord(grid, columns, row);
    if (!record)
        return;
    const LayoutKind kind = frmPreView->CurrentKind();
    CardComposer composer(m_options, ScreenTextMeasure());
    composer.setBarcodeDataSource(AddressNumber::barcodeDataOf);
    const CardTexts texts = composer.ComposeCardTexts(
        *record, kind, CardComposer::Purpose::Preview,
        m_layouts.record(kind, LayoutItem::YubinNo1).FontSize, &grid, &columns);
    ui->TntRichEdit1->setText(grid.rowText(row));
    frmPreView->setCardTexts(kind, texts);
}
