#include "app/TForm1.h"

#include "addresslist/AddressGridModel.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/HeaderColumns.h"
#include "addresslist/HeaderMapping.h"
#include "addresslist/RecordEditing.h"
#include "addresslist/SendMarks.h"
#include "addresslist/XBiffError.h"
#include "app/DataFileInfo.h"
#include "app/TForm1PrintHost.h"
#include "app/TfrmAddressCheck.h"
#include "app/TfrmColumnMapping.h"
#include "app/TfrmEditData.h"
#include "app/TfrmInfomation.h"
#include "app/TfrmOption.h"
#include "app/TfrmPrintoutTable.h"
#include "app/TfrmSender.h"
#include "app/TfrmVersion.h"
#include "app/VersionInfo.h"
#include "app/WindowPlacement.h"
#include "common/Prompter.h"
#include "common/SettingsText.h"
#include "common/TextHelpers.h"
#include "common/numbers.h"
#include "compose/CustomerBarcode.h"
#include "layout/LayoutFile.h"
#include "postal/AddressCheck.h"
#include "postal/AddressNumber.h"
#include "postal/PostalIndex.h"
#include "preview/TfrmPreView.h"
#include "print/ListTable.h"
#include "print/PrintJob.h"
#include "print/QPrinterDevice.h"
#include "typeset/ScreenTextMeasure.h"
#include "ui_TForm1.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {
// Every kind of list the program reads, first all together.
const QString OpenFilter = QStringLiteral(
    "住所録(*.xls;*.xlsx;*.ods;*.vcf;*.csv;*.csvu;*.txt)|"
    "*.XLS;*.XLSX;*.XLSM;*.ODS;*.VCF;*.VCARD;*.CSV;*.CSVU;*.TXT|"
    "エクセル(*.xls;*.xlsx)|*.XLS;*.XLSX;*.XLSM|OpenDocument(*.ods)|*.ODS|"
    "vCard(*.vcf)|*.VCF;*.VCARD|CSVU(*.csvu;*.csv;*.txt)|*.CSV;*.CSVU;*.TXT|すべて(*.*)|*.*");

// The first dropped file that is a list the program reads; empty when there is none.
QString droppedListFile(const QMimeData* data)
{
    for (const QUrl& url : data ? data->urls() : QList<QUrl>()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).isFile() &&
            (DataFileInfo::IsWorkbookFile(path) || DelimitedList::IsDelimitedListFile(path) ||
             QFileInfo(path).suffix().compare(u"txt", Qt::CaseInsensitive) == 0))
            return path;
    }
    return {};
}
const QString PrintingCaption = QStringLiteral("印刷中断");
const QString SaveFailedText = QStringLiteral("設定を保存できませんでした: ");
// Long enough to take a burst of changes (typing a number, a drag) into one save.
constexpr int SaveDelayMs = 500;
const QString UnsavedEditsQuestion =
    QStringLiteral("変更された住所録が保存されていません。終了しますか");
// Opening another list is no exit: the question says what happens to the edits.
const QString DiscardEditsQuestion =
    QStringLiteral("変更された住所録が保存されていません。変更を破棄して開きますか");
constexpr int StatusPanelWidths[3] = {50, 200, 50};
const QString WidestRowNumber = QStringLiteral("99999");

// The width a widget needs to show `text` whole in its own font, with its frame and margins.
int TextWidth(const QWidget& widget, const QString& text)
{
    return widget.fontMetrics().horizontalAdvance(text) + 12;
}

// A new postal code leaves the customer code of the old one, whose bars would send the card
// to the old place: offers to make it anew from the new code and the address, as the option
// "住所からバーコードを作る" does, or to empty it when none can be made. True when the code
// was renewed.
bool OfferNewBarcodeData(Prompter& prompter, const AddressRecord& before, AddressRecord& edited)
{
    using F = HeaderColumns::Field;
    const QString code = edited[F::BarcodeData];
    if (TrimBlanks(edited[F::PostalCode]) == TrimBlanks(before[F::PostalCode]) ||
        IsBlankText(code) || BarcodeDataPostalCode(code) == PostalCodeDigits(edited[F::PostalCode]))
        return false;
    if (!prompter.confirm(QStringLiteral("郵便番号が変わりました。コード「%1」を新しい郵便番号と"
                                         "住所から作り直しますか（作れないときは空にします）")
                              .arg(code),
                          QStringLiteral("実行確認")))
        return false;
    edited.fields[F::BarcodeData] = AddressNumber::barcodeDataOf(edited);
    return true;
}
} // namespace

TForm1::TForm1(Prompter* prompter, const QString& settingsFile, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()), m_prompter(prompter),
      m_settingsFilePath(settingsFile), m_settings(settingsFile)
{
    m_layouts.setDefaults();
    ui->setupUi(this);
    // The design place and size, which a settings file without "Form" keys keeps.
    setGeometry(SettingsState().geometry);
    FormCreate();
    createWindows();

    m_saveTimer = new QTimer(this);
    m_saveTimer->setObjectName(QStringLiteral("SettingsSaveTimer"));
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(SaveDelayMs);
    connect(m_saveTimer, &QTimer::timeout, this, [this] { saveSettings(); });
    for (QRadioButton* radio : {ui->rdOHagaki, ui->rdoA4, ui->rdoA3, ui->rdoYokoOki, ui->rdoTateOki,
                                ui->rdoYokoGaki, ui->rdoTateGaki})
        connect(radio, &QRadioButton::toggled, this, &TForm1::settingsChanged);
    for (QLineEdit* field : {ui->edtStartOfPaper, ui->edtHoseiX, ui->edtHoseiY})
        connect(field, &QLineEdit::textChanged, this, &TForm1::settingsChanged);
    for (QAction* mark : {ui->P2, ui->R1})
        connect(mark, &QAction::toggled, this, &TForm1::settingsChanged);
    // The application quits without closing the window: a SIGTERM at a logout or shutdown.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        QString error;
        if (!saveSettings(&error))
            std::fprintf(stderr, "tayori: %s\n", qPrintable(SaveFailedText + error));
    });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { saveSettings(); });
}

TForm1::~TForm1()
{
    // The view outlives the members (it goes with the base class), so it lets go of the
    // model over the book's grid first.
    ui->TntStringGrid1->setModel(nullptr);
}

void TForm1::FormCreate()
{
    setWindowTitle(QCoreApplication::applicationName());
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);

    createStatusBar();
    // Row numbers of lists with tens of thousands of rows fit the range fields.
    for (QLineEdit* field : {ui->edtStartLine, ui->edtEndLine, ui->edtMaisu})
        field->setFixedWidth(qMax(field->maximumWidth(), TextWidth(*field, WidestRowNumber)));
    setUpGrid();
    setAcceptDrops(true);
    ui->TabControl1->setShape(QTabBar::RoundedSouth);
    ui->TabControl1->setExpanding(false);
    rebuildTabs();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui->E1);

    connectCommands();
}

void TForm1::createWindows()
{
    // In the order of the program's windows.
    frmVersion = new TfrmVersion(m_prompter, this);
    createPreview();
    frmPrintoutTable = new TfrmPrintoutTable(&printer(), m_prompter, this);
    frmPrintoutTable->setFont(font());
    frmEditData = new TfrmEditData(this);
    frmInfomation = new TfrmInfomation(this);
    frmOption = new TfrmOption(&m_options, this);
    frmSender = new TfrmSender(this);
    for (QDialog* dialog :
         std::initializer_list<QDialog*>{frmEditData, frmInfomation, frmOption, frmSender})
        dialog->setFont(font());
}

void TForm1::setDialogRunner(DialogRunner runner)
{
    m_dialogRunner = std::move(runner);
}

int TForm1::runDialog(QDialog& dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog.exec();
}

void TForm1::placeEditDialog()
{
    // Beside the grid's right edge, below the tool bar.
    const QRect main = frameGeometry();
    frmEditData->move(main.left() + main.width() - frmEditData->frameGeometry().width(),
                      main.top() + ui->Panel2->height() + 70);
}

void TForm1::setUpGrid()
{
    QTableView* view = ui->TntStringGrid1;
    m_model = new AddressGridModel(&m_book.grid(), this);
    view->setModel(m_model);

    QFont gridFont = font();
    gridFont.setFamily(QStringLiteral("ＭＳ 明朝"));
    view->setFont(gridFont);

    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The print range is one block of rows, so the selection is one block too.
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideNone);
    view->setShowGrid(true);
    view->setCornerButtonEnabled(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);

    // Row 0 and column 0 are shown as the headers, which stay in place while scrolling.
    QHeaderView* rows = view->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(AddressGrid::DefaultRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setHighlightSections(false);
    QHeaderView* columns = view->horizontalHeader();
    columns->setMinimumSectionSize(1);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);

    view->viewport()->setMouseTracking(true);
    view->viewport()->installEventFilter(this);

    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, &TForm1::gridAboutToReset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TForm1::gridWasReset);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    TntStringGrid1SelectCell(current.column(), current.row());
            });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::TntStringGrid1MouseMove);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        PopupMenu1->popup(view->viewport()->mapToGlobal(pos));
    });
    gridWasReset();
}

void TForm1::createStatusBar()
{
    QStatusBar* bar = ui->TntStatusBar1;
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("TntStatusBar1Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // The last panel takes the rest of the bar: its notices are longer than 50 pixels.
        if (i == 0) {
            // "%d %d": a column and a row number of five digits.
            panel->setFixedWidth(qMax(StatusPanelWidths[i],
                                      TextWidth(*panel, QStringLiteral("999 ") + WidestRowNumber)));
            bar->addWidget(panel);
        } else if (i < 2) {
            panel->setFixedWidth(StatusPanelWidths[i]);
            bar->addWidget(panel);
        } else {
            panel->setMinimumWidth(StatusPanelWidths[i]);
            bar->addWidget(panel, 1);
        }
        m_statusPanels[size_t(i)] = panel;
    }

    ProgressBar1 = new QProgressBar(m_statusPanels[1]);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    auto* layout = new QHBoxLayout(m_statusPanels[1]);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(ProgressBar1);
    ProgressBar1->hide();
}

void TForm1::connectCommands()
{
    createPaperCommands();
    connect(ui->Button2, &QPushButton::clicked, this, &TForm1::LoadBtnClick);
    connect(ui->O1, &QAction::triggered, this, &TForm1::LoadBtnClick);
    connect(ui->J1, &QAction::triggered, this, &TForm1::J1Click);
    connect(ui->H2, &QAction::triggered, this, &TForm1::H2Click);
    connect(ui->P1, &QAction::triggered, this, &TForm1::P1Click);
    connect(ui->N1, &QAction::triggered, this, &TForm1::btnPrintClick);
    connect(ui->btnPrint, &QPushButton::clicked, this, &TForm1::btnPrintClick);
    connect(ui->Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    connect(ui->L1, &QAction::triggered, this, &TForm1::L1Click);
    connect(ui->X1, &QAction::triggered, this, &TForm1::btnExitClick);
    connect(ui->btnExit, &QPushButton::clicked, this, &TForm1::btnExitClick);
    connect(ui->purebyu1, &QAction::triggered, this, &TForm1::purebyu1Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TForm1::purebyu1Click);
    connect(ui->D1, &QAction::triggered, this, &TForm1::D1Click);
    connect(ui->O3, &QAction::triggered, this, &TForm1::O3Click);
    connect(ui->Sender1, &QAction::triggered, this, &TForm1::Sender1Click);
    connect(ui->H1, &QAction::triggered, this, &TForm1::H1Click);
    connect(ui->V1, &QAction::triggered, this, &TForm1::V1Click);
    connect(ui->E1, &QAction::triggered, this, &TForm1::E1Click);
    connect(ui->K1, &QAction::triggered, this, &TForm1::K1Click);
    // P2 and R1 are checkable: the menu inverts their marks itself.
    for (QRadioButton* radio : {ui->rdoYokoOki, ui->rdoTateOki, ui->rdoYokoGaki, ui->rdoTateGaki})
        connect(radio, &QRadioButton::clicked, this, &TForm1::rdoYokoOkiClick);
    connect(ui->TabControl1, &QTabBar::currentChanged, this, &TForm1::TabControl1Change);
    connect(&m_book, &AddressBook::progress, this, &TForm1::showProgress);
    connect(&m_book, &AddressBook::tabsChanged, this, &TForm1::rebuildTabs);
    connect(&m_book, &AddressBook::cellsCut, this,
            [this](int count) { setStatusPanel(2, AddressBook::CutCellsMessage(count)); });
}

void TForm1::FormShow()
{
    m_book.setCurrentDataFile(QString());
    // The help file is the installed manual.
    m_helpFilePath = VersionInfo::ManualPath();
    if (m_settingsFilePath.isEmpty())
        return;
    ReadSettings();
    if (!ui->R1->isChecked())
        return;
    const QString dataFile =
        SettingsText::ReadPathSetting(m_settingsFilePath, QStringLiteral("FILE"), "DataFile");
    if (SettingsText::IsMissingValue(dataFile) || !QFileInfo::exists(dataFile))
        return;
    loadByExtension(dataFile);
    ui->TntRichEdit1->setText(m_book.grid().rowText(1));
}

void TForm1::ReadSettings()
{
    SettingsState state = currentSettings();
    QString error;
    if (!m_settings.read(state, m_layouts, &error))
        m_prompter->showMessage(QStringLiteral("設定を読み込めませんでした: ") + error);
    applySettings(state);
    m_settingsRead = true;
}

bool TForm1::WriteSettings()
{
    QString error;
    if (saveSettings(&error))
        return true;
    // The user may free space or fix the folder and close again.
    return m_prompter->confirm(SaveFailedText + error + QStringLiteral("。保存せずに終了しますか"));
}

void TForm1::settingsChanged()
{
    if (m_settingsRead)
        m_saveTimer->start();
}

bool TForm1::saveSettings(QString* error)
{
    m_saveTimer->stop();
    if (m_settingsFilePath.isEmpty())
        return true;
    QString reason;
    if (m_settings.write(currentSettings(), m_layouts, &reason)) {
        m_toldSaveErrors.clear();
        return true;
    }
    if (!m_toldSaveErrors.contains(reason)) {
        m_toldSaveErrors.insert(reason);
        setStatusPanel(2, SaveFailedText + reason);
    }
    if (error)
        *error = reason;
    return false;
}

SettingsState TForm1::currentSettings() const
{
    SettingsState s;
    s.geometry = geometry();
    s.previewPosition = frmPreView->isVisible() ? frmPreView->pos() : m_previewPosition;
    s.noSetPrinter = ui->P2->isChecked();
    s.reopenLastList = ui->R1->isChecked();
    s.options = m_options;
    s.paper = ui->rdoA4->isChecked()   ? SettingsState::A4
              : ui->rdoA3->isChecked() ? SettingsState::A3
                                       : SettingsState::Postcard;
    s.startOfPaper = ui->edtStartOfPaper->text();
    s.hoseiX = ui->edtHoseiX->text();
    s.hoseiY = ui->edtHoseiY->text();
    s.layoutKind = currentLayoutKind();
    // A list opened by a relative name (from the command line) reopens from any folder.
    s.dataFile =
        currentDataFile().isEmpty() ? QString() : QFileInfo(currentDataFile()).absoluteFilePath();
    s.backImage = frmPreView->BackImageNames();
    s.columnMappings = m_columnMappings;
    return s;
}

void TForm1::applySettings(const SettingsState& s)
{
    QList<QRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    setGeometry(WindowPlacement::keepOnScreen(s.geometry, SettingsState().geometry, screens));
    m_previewPosition = s.effectivePreviewPosition();
    ui->P2->setChecked(s.noSetPrinter);
    ui->R1->setChecked(s.reopenLastList);
    m_options = s.options;
    (s.paper == SettingsState::A4   ? ui->rdoA4
     : s.paper == SettingsState::A3 ? ui->rdoA3
                                    : ui->rdOHagaki)
        ->setChecked(true);
    ui->edtStartOfPaper->setText(s.startOfPaper);
    ui->edtHoseiX->setText(s.hoseiX);
    ui->edtHoseiY->setText(s.hoseiY);
    (isLandscape(s.layoutKind) ? ui->rdoYokoOki : ui->rdoTateOki)->setChecked(true);
    (isHorizontalWriting(s.layoutKind) ? ui->rdoYokoGaki : ui->rdoTateGaki)->setChecked(true);
    frmPreView->setBackImageNames(s.backImage);
    m_columnMappings = s.columnMappings;
}

void TForm1::showEvent(QShowEvent* event)
{
    const bool first = !m_shown;
    if (first) {
        m_shown = true;
        FormShow();
    }
    QMainWindow::showEvent(event);
    if (first)
        placeEditDialog();
}

void TForm1::FormCloseQuery(bool& canClose)
{
    canClose =
        m_prompter->confirm(m_listEdited ? UnsavedEditsQuestion : QStringLiteral("終了しますか"));
    if (canClose && !m_settingsFilePath.isEmpty())
        canClose = WriteSettings();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing during a run is the abort button's question; the run ends, the window stays.
    if (ui->btnExit->text() == PrintingCaption) {
        btnExitClick();
        event->ignore();
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TForm1::btnExitClick()
{
    if (ui->btnExit->text() != PrintingCaption) {
        close();
        return;
    }
    if (m_prompter->confirm(QStringLiteral("中断しますか"), QStringLiteral("実行確認"))) {
        ui->btnExit->setText(QStringLiteral("終了"));
        AbortRequested = true;
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedListFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = droppedListFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    if (confirmDiscardEdits())
        OpenFile(path);
}

void TForm1::LoadBtnClick()
{
    startDialogsInListFolder();
    const QString path = m_prompter->openFileName(OpenFilter, QStringLiteral("xls"));
    if (path.isEmpty())
        return;
    // A list from a spreadsheet (.csv) or our own text save (.txt) is read like a CSVU list.
    const bool workbook = DataFileInfo::IsWorkbookFile(path);
    if (!workbook && !DelimitedList::IsDelimitedListFile(path))
        setStatusPanel(2, QStringLiteral("エクセルファイルかCSVUファイルに対応しています"));
    else if (!confirmDiscardEdits())
        return;
    else if (workbook)
        LoadWorkbook(path);
    else
        LoadDelimitedList(path);
    ui->TntRichEdit1->setText(m_book.grid().rowText(1));
}

bool TForm1::confirmDiscardEdits()
{
    return !m_listEdited || m_prompter->confirm(DiscardEditsQuestion);
}

void TForm1::startDialogsInListFolder()
{
    const QString list = currentDataFile();
    if (!list.isEmpty())
        m_prompter->setStartFolder(QFileInfo(list).absolutePath());
}

bool TForm1::loadByExtension(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toUpper();
    if (DataFileInfo::IsWorkbookFile(path)) {
        LoadWorkbook(path);
        return true;
    }
    // A list saved as .CSV or .TXT (any letter case) reopens as well as a .csvu one.
    if (DelimitedList::IsDelimitedListFile(path)) {
        LoadDelimitedList(path);
        return true;
    }
    return false;
}

void TForm1::LoadWorkbook(const QString& path)
{
    forgetListNotices();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    AddressBook::LoadResult result = AddressBook::LoadResult::Loaded;
    try {
        result = m_book.LoadWorkbook(path);
    } catch (const XBiffError& error) {
        // The bar goes too: a failed read must not look as if it were still running.
        ProgressBar1->hide();
        m_listEdited = false; // the sheets were refilled: the edits are gone
        m_prompter->showError(error.message());
        return;
    } catch (const std::exception& error) {
        ProgressBar1->hide();
        m_listEdited = false;
        m_prompter->showError(QString::fromLocal8Bit(error.what()));
        return;
    }
    ProgressBar1->hide();
    if (result == AddressBook::LoadResult::Locked) {
        m_prompter->showMessage(QStringLiteral("他のアプリケーションで開かれています。"));
        return;
    }
    m_listEdited = false;
    m_declinedMappings.clear();
    mapListColumns();
    setWindowTitle(path + QStringLiteral(" -") + QCoreApplication::applicationName());
    settingsChanged(); // the list to reopen
    const QSignalBlocker blocker(ui->TabControl1);
    ui->TabControl1->setCurrentIndex(0);
    if (result == AddressBook::LoadResult::Damaged)
        setStatusPanel(2, AddressBook::DamagedFileMessage());
    if (m_book.sheetsLeftOut())
        m_prompter->showMessage(AddressBook::SheetsLeftOutMessage());
}

void TForm1::forgetListNotices()
{
    // The notices of the list before ("3 件の住所を確認してください") and its findings are not
    // the next one's.
    setStatusPanel(2, QString());
    if (frmAddressCheck)
        frmAddressCheck->hide();
}

void TForm1::LoadDelimitedList(const QString& path)
{
    forgetListNotices();
    const DelimitedList::LoadStatus status =
        DelimitedList::LoadDelimitedList(m_book, path, *m_prompter);
    if (status != DelimitedList::LoadStatus::Locked)
        m_listEdited = false;
    if (status == DelimitedList::LoadStatus::Loaded) {
        m_declinedMappings.clear();
        mapListColumns();
        setWindowTitle(path + QStringLiteral(" -") + QCoreApplication::applicationName());
        settingsChanged(); // the list to reopen
    }
}

void TForm1::showProgress(int percent)
{
    ProgressBar1->setValue(percent);
    // The workbook is read inside this event; paint now so the bar moves while it runs.
    if (ProgressBar1->isVisible())
        ProgressBar1->repaint();
}

void TForm1::rebuildTabs()
{
    QTabBar* tabs = ui->TabControl1;
    const QSignalBlocker blocker(tabs);
    const QStringList captions = m_book.tabCaptions();
    while (tabs->count() > captions.size())
        tabs->removeTab(tabs->count() - 1);
    for (int i = 0; i < captions.size(); ++i) {
        if (i < tabs->count())
            tabs->setTabText(i, captions[i]);
        else
            tabs->addTab(captions[i]);
    }
}

void TForm1::TabControl1Change(int index)
{
    if (index >= 0) {
        m_book.ShowSheet(index + 1);
        mapListColumns();
    }
}

void TForm1::mapListColumns()
{
    AddressGrid& grid = m_book.grid();
    if (m_columnMappings.MapColumns(grid) != RememberedMappings::Outcome::Unsure)
        return;
    const QStringList header = HeaderMapping::HeaderRow(grid);
    const QString key = RememberedMappings::Key(header);
    if (m_declinedMappings.contains(key))
        return;
    TfrmColumnMapping dialog(this);
    dialog.setList(grid, HeaderMapping::Guess(header));
    // Cancel, or no column chosen at all, shows the list as it stands.
    const bool accepted = runDialog(dialog) == QDialog::Accepted;
    const HeaderMapping answer = dialog.mapping();
    if (!accepted || answer.isEmpty()) {
        m_declinedMappings.insert(key);
        return;
    }
    m_columnMappings.remember(header, answer);
    settingsChanged();
    answer.Apply(grid);
}

void TForm1::TntStringGrid1SelectCell(int column, int row)
{
    ui->TntRichEdit1->setText(m_book.grid().rowText(row));
    setStatusPanel(0, QString::asprintf("%d %d", column, row));
    ShowRecord(row);
}

void TForm1::TntStringGrid1MouseMove()
{
    const QItemSelectionModel* selection = ui->TntStringGrid1->selectionModel();
    int top = selection->currentIndex().isValid() ? selection->currentIndex().row() : 0;
    int bottom = top;
    const QItemSelection ranges = selection->selection();
    if (!ranges.isEmpty()) {
        top = ranges.first().top();
        bottom = ranges.first().bottom();
        for (const QItemSelectionRange& range : ranges) {
            top = qMin(top, range.top());
            bottom = qMax(bottom, range.bottom());
        }
    }
    // The header row is no card, nor is the grid's empty tail (a select-all takes both).
    const int lastUsed = m_book.grid().lastUsedRow();
    top = qMax(top, 1);
    if (top <= lastUsed)
        bottom = qMin(bottom, lastUsed);
    bottom = qMax(bottom, top);
    ui->edtStartLine->setText(QString::number(top));
    ui->edtEndLine->setText(QString::number(bottom));
    // Rows marked not to send take no card, nor rows with neither a name nor a company.
    const AddressGrid& grid = m_book.grid();
    const SendMarks marks(grid);
    HeaderColumns columns;
    const bool addressList = columns.FindHeaderColumns(grid, nullptr);
    int cards = 0;
    for (int row = top; row <= bottom; ++row)
        cards += (!addressList || HasAddressee(grid, columns, row)) &&
                 !(marks.hasColumns() && marks.reason(row));
    ui->edtMaisu->setText(QString::number(cards));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->TntStringGrid1->viewport() && event->type() == QEvent::MouseMove)
        TntStringGrid1MouseMove();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::gridAboutToReset()
{
    const QItemSelectionModel* selection = ui->TntStringGrid1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid()) {
        m_keptColumn = current.column();
        m_keptRow = current.row();
    }
    m_keptTop = m_keptBottom = -1;
    for (const QItemSelectionRange& range : selection->selection()) {
        m_keptTop = m_keptTop < 0 ? range.top() : qMin(m_keptTop, range.top());
        m_keptBottom = qMax(m_keptBottom, range.bottom());
    }
}

void TForm1::gridWasReset()
{
    QTableView* view = ui->TntStringGrid1;
    const int columns = m_model->columnCount();
    const int rows = m_model->rowCount();
    for (int c = 0; c < columns; ++c)
        view->horizontalHeader()->resizeSection(c, m_model->columnWidth(c));
    // The sheet's own width of the row column, unless its numbers need more.
    view->verticalHeader()->setFixedWidth(
        qMax(m_model->columnWidth(0),
             TextWidth(*view->verticalHeader(), QString::number(qMax(rows - 1, 0)))));
    view->setColumnHidden(0, true);
    view->setRowHidden(0, true);
    if (rows < 2 || columns < 2)
        return;

    // A redraw keeps the current cell and the selected rows, clipped to the new size.
    QItemSelectionModel* selection = view->selectionModel();
    const QModelIndex current =
        m_model->index(qBound(1, m_keptRow, rows - 1), qBound(1, m_keptColumn, columns - 1));
    selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    if (m_keptTop >= 1 && m_keptTop < rows) {
        const int bottom = qMin(m_keptBottom, rows - 1);
        selection->select(
            QItemSelection(m_model->index(m_keptTop, 1), m_model->index(bottom, columns - 1)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // A range left from a longer list would print nothing: it follows the selection instead.
    const int lastUsed = m_book.grid().lastUsedRow();
    const auto outside = [lastUsed](const QLineEdit* field) {
        const int row = numbers::lenientInt(field->text());
        return row < 1 || row > lastUsed;
    };
    if (lastUsed >= 1 && (outside(ui->edtStartLine) || outside(ui->edtEndLine)))
        TntStringGrid1MouseMove();
}

LayoutKind TForm1::currentLayoutKind() const
{
    const bool yokoOki = ui->rdoYokoOki->isChecked();
    const bool yokoGaki = ui->rdoYokoGaki->isChecked();
    if (yokoOki)
        return yokoGaki ? LayoutKind::YY : LayoutKind::YT;
    return yokoGaki ? LayoutKind::TY : LayoutKind::TT;
}

QPrinter& TForm1::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void TForm1::P1Click()
{
    choosePrinter();
}

bool TForm1::choosePrinter()
{
    QPrintDialog dialog(&printer(), this);
    return runDialog(dialog) == QDialog::Accepted;
}

void TForm1::P2Click()
{
    ui->P2->toggle();
}

void TForm1::R1Click()
{
    ui->R1->toggle();
}

void TForm1::H1Click()
{
    if (m_helpFilePath.isEmpty() || !QFileInfo::exists(m_helpFilePath))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_helpFilePath).absoluteFilePath()));
}

QString TForm1::statusPanel(int panel) const
{
    return panel >= 0 && panel < 3 ? m_statusPanels[size_t(panel)]->text() : QString();
}

void TForm1::setStatusPanel(int panel, const QString& text)
{
    if (panel >= 0 && panel < 3)
        m_statusPanels[size_t(panel)]->setText(text);
}

// Commands of later work: the preview, printing, lists, dialogs and record editing.
void TForm1::J1Click()
{
    startDialogsInListFolder();
    const QString path = m_prompter->openFileName(DelimitedList::OpenFilter(), QString());
    if (path.isEmpty() || !DelimitedList::IsDelimitedListFile(path))
        return;
    if (confirmDiscardEdits())
        LoadDelimitedList(path);
}

void TForm1::H2Click()
{
    const QTabBar* tabs = ui->TabControl1;
    if (DelimitedList::SaveDelimitedList(m_book.grid(), tabs->tabText(tabs->currentIndex()),
                                         *m_prompter))
        m_listEdited = false;
}

void TForm1::btnPrintClick()
{
    TForm1PrintHost host(*this, *ui);
    QPrinterDevice device(printer());
    PrintJob job(m_book.grid(), m_layouts, m_options, ScreenTextMeasure(), device, host,
                 *m_prompter);
    job.setBarcodeDataSource(AddressNumber::barcodeDataOf);
    job.setAddressCheck(AddressCheck::count);
    PrintParameters parameters;
    parameters.paper = ui->rdoA3->isChecked()   ? PaperKind::A3
                       : ui->rdoA4->isChecked() ? PaperKind::A4
                                                : PaperKind::Postcard;
    parameters.kind = currentLayoutKind();
    parameters.noSetPrinter = ui->P2->isChecked();
    parameters.proof = m_proofRun;
    try {
        const PrintJob::Result result = job.btnPrintClick(parameters);
        // Without a printer the dialog still offers printing into a PDF file: offer it at
        // once, and go on when the user picked one.
        if (result.outcome == PrintJob::Outcome::Refused &&
            result.message == PrintJob::NoPrinterMessage && choosePrinter() && device.isPresent())
            job.btnPrintClick(parameters);
    } catch (const std::exception& error) {
        // The run has ended its document and given the buttons back.
        m_prompter->showError(QString::fromLocal8Bit(error.what()));
    }
}

void TForm1::Edit1Change()
{
    // The preview prints the card it shows by writing "印刷" here.
    const QSignalBlocker detached(ui->Edit1);
    if (ui->Edit1->text() == PrintJob::PrintMarker) {
        btnPrintClick();
        ui->Edit1->clear();
    }
}

void TForm1::L1Click()
{
    const QTabBar* tabs = ui->TabControl1;
    const std::optional<ListTable> table = ListTable::FromGrid(
        m_book.grid(), ui->TntStringGrid1->font(), tabs->tabText(tabs->currentIndex()));
    if (!table) {
        setStatusPanel(2, QStringLiteral("データがありません"));
        return;
    }
    frmPrintoutTable->setTable(*table);
    runDialog(*frmPrintoutTable);
}

void TForm1::V1Click()
{
    runDialog(*frmVersion);
}

void TForm1::OpenFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toUpper();
    if (!QFileInfo(path).isFile()) {
        m_prompter->showError(QStringLiteral("%1 が見つかりません").arg(path));
        return;
    }
    if (extension == u"TYD") {
        // A layout file opens on the preview, as "保存した配置を読み込む" would load it.
        if (!LayoutFile::kindOfFileName(path)) {
            m_prompter->showError(
                QStringLiteral("%1: ファイル名に配置の種類（TT, TY, YT, YY）がありません")
                    .arg(QFileInfo(path).fileName()));
            return;
        }
        purebyu1Click();
        frmPreView->LoadLayoutFile(path);
        return;
    }
    if (!loadByExtension(path)) {
        // A .csv or .txt list goes the way of "住所録を開く(&J)".
        if (!DelimitedList::IsDelimitedListFile(path) && extension != u"TXT") {
            setStatusPanel(2, QStringLiteral("エクセルファイルかCSVUファイルに対応しています"));
            return;
        }
        LoadDelimitedList(path);
    }
    ui->TntRichEdit1->setText(m_book.grid().rowText(1));
}

void TForm1::E1Click()
{
    const AddressGrid& grid = m_book.grid();
    if (!HeaderColumns::IsAddressList(grid))
        return;
    HeaderColumns columns;
    if (!columns.FindHeaderColumns(grid, m_prompter))
        return;
    const int row = ui->TntStringGrid1->currentIndex().row();
    const std::optional<AddressRecord> record = ReadAddressRecord(grid, columns, row);
    if (!record || ui->TntRichEdit1->text().isEmpty())
        return;

    frmEditData->setRecord(*record);
    if (runDialog(*frmEditData) != QDialog::Accepted)
        return;
    m_listEdited = true;
    AddressRecord edited = frmEditData->record(*record);
    AddressGrid& list = m_book.grid();
    if (OfferNewBarcodeData(*m_prompter, *record, edited) &&
        !IsBlankText(list.cell(columns[HeaderColumns::PrintedBarcode], row)))
        // The old bars stay in "印刷コード" until a code makes new ones; without a code they
        // would print as they stand. The cell stays a switch that is on.
        list.setCell(columns[HeaderColumns::PrintedBarcode], row, QStringLiteral(" "));
    RecordEditing::WriteBack(list, columns, row, edited);
    // A workbook's sheet keeps the edit, so it survives switching tabs.
    if (DataFileInfo::IsWorkbookFile(currentDataFile()))
        RecordEditing::ReplaceSheetRow(m_book.sheet(ui->TabControl1->currentIndex() + 1),
                                       row + grid.rowsAbove(), RecordEditing::SheetRow(grid, row));
    // The card on the preview shows the edited record, not the one before the edit.
    ShowRecord(row);
}

void TForm1::O3Click()
{
    frmOption->loadOptions();
    frmOption->setMirrors({ui->R1->isChecked(), ui->rdoTateOki->isChecked(), previewAutoUpdate(),
                           ui->P2->isChecked()});
    const bool accepted = runDialog(*frmOption) == QDialog::Accepted;
    // The boxes read directly have changed the options even when the dialog was cancelled.
    settingsChanged();
    if (!accepted)
        return;

    const TfrmOption::Mirrors mirrors = frmOption->mirrors();
    ui->R1->setChecked(mirrors.readLastFile);
    setRadioChecked(ui->rdoTateOki, mirrors.tategakiFirst);
    setPreviewAutoUpdate(mirrors.autoUpdatePreview);
    ui->P2->setChecked(mirrors.noSetPaper);
    m_options.nameSpacingText = frmOption->nameSpacingText();
    m_options.defaultHonorific1 = frmOption->honorific1();
    m_options.defaultHonorific2 = frmOption->honorific2();
    // The shown card follows options that change its texts or where its digits stand.
    if (frmPreView && frmPreView->isVisible()) {
        frmPreView->ApplyLayoutKind(frmPreView->CurrentKind(), true);
        ShowRecord(ui->TntStringGrid1->currentIndex().row());
    }
}

void TForm1::Sender1Click()
{
    frmSender->setSender(m_options.sender);
    if (runDialog(*frmSender) != QDialog::Accepted)
        return;
    m_options.sender = frmSender->sender();
    settingsChanged();
    if (frmPreView && frmPreView->isVisible())
        ShowRecord(ui->TntStringGrid1->currentIndex().row());
}

void TForm1::setRadioChecked(QRadioButton* button, bool checked)
{
    if (checked) {
        button->setChecked(true);
        return;
    }
    // Turning a radio button off leaves its partner as it is: neither of the pair is on then.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(exclusive);
}

void TForm1::D1Click()
{
    const AddressGrid& grid = m_book.grid();
    frmInfomation->setAddressList(grid.rowText(0).contains(u"宛先"));
    const QString path = currentDataFile();
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        frmInfomation->setRecordCount(RecordEditing::CountDataRows(grid));
        if (DataFileInfo::IsWorkbookFile(path))
            frmInfomation->setSheetCount(ui->TabControl1->count());
        frmInfomation->setFileSize(DataFileInfo::FileSize(path));
        frmInfomation->setFileName(path);
        frmInfomation->setLastWrite(DataFileInfo::LastWriteText(path));
    } else {
        setStatusPanel(2, QStringLiteral("データファイルが指定されていません"));
        frmInfomation->clearFile(
            DataFileInfo::LastWriteText(QCoreApplication::applicationFilePath()));
    }
    runDialog(*frmInfomation);
}

void TForm1::K1Click()
{
    const PostalIndex& index = PostalIndex::shared();
    if (!index.isLoaded()) {
        setStatusPanel(2, index.errorText());
        m_prompter->showMessage(index.errorText());
        return;
    }
    const AddressGrid& grid = m_book.grid();
    if (!HeaderColumns::IsAddressList(grid)) {
        setStatusPanel(2, PrintJob::NotAddressListMessage);
        return;
    }
    HeaderColumns columns;
    if (!columns.FindHeaderColumns(grid, m_prompter))
        return;
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    const QList<AddressCheck::Finding> findings = AddressCheck::run(
        index, grid, columns, 1, -1, [this](int percent) { showProgress(percent); });
    ProgressBar1->hide();
    const QString summary = AddressCheck::summary(findings.size());
    setStatusPanel(2, summary);
    if (!frmAddressCheck) {
        frmAddressCheck = new TfrmAddressCheck(this);
        frmAddressCheck->setFont(font());
        connect(frmAddressCheck, &TfrmAddressCheck::rowChosen, this, [this](int row) {
            const QModelIndex cell =
                m_model->index(row, std::max(1, ui->TntStringGrid1->currentIndex().column()));
            ui->TntStringGrid1->setCurrentIndex(cell);
            ui->TntStringGrid1->scrollTo(cell);
            TntStringGrid1SelectCell(cell.column(), row);
        });
    }
    const SendMarks marks(grid);
    frmAddressCheck->setFindings(findings, summary, &marks);
    if (!findings.isEmpty()) {
        frmAddressCheck->show();
        frmAddressCheck->raise();
    }
}
