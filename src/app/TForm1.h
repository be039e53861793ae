#pragma once

#include "addresslist/AddressBook.h"
#include "app/SettingsFile.h"
#include "common/SessionOptions.h"
#include "layout/LayoutKind.h"
#include "layout/LayoutTable.h"

#include <QDialog>
#include <QMainWindow>
#include <QSet>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class AddressGridModel;
class Prompter;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QRadioButton;
class QTimer;
class TfrmEditData;
class TfrmInfomation;
class TfrmOption;
class TfrmSender;
class TfrmPreView;
class TfrmPrintoutTable;
class TfrmVersion;
class TfrmAddressCheck;

namespace Ui {
class TForm1;
}

// The main window: tool bar with the print parameters, the address grid with one tab per
// sheet, the status bar, the menus. It owns the session: the loaded address list, the
// printer, the abort flag of a print run.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Every question to the user goes through `prompter`, which must outlive the window. The
    // settings are read from `settingsFile` at the first showing and written there shortly
    // after every change, at the confirmed exit, when the application quits (a logout, a
    // SIGTERM) and when the desktop session asks; without one the session keeps its settings
    // in memory only.
    explicit TForm1(Prompter* prompter, const QString& settingsFile = QString(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    AddressBook& addressBook() { return m_book; }
    QString currentDataFile() const { return m_book.currentDataFile(); }
    QString settingsFilePath() const { return m_settingsFilePath; }
    QString helpFilePath() const { return m_helpFilePath; }
    // The printer that printing uses; the printer dialog changes it.
    QPrinter& printer();

    LayoutKind currentLayoutKind() const;

    // The option switches that composition and printing read; the options dialog edits them.
    SessionOptions& options() { return m_options; }
    // The four layouts of nine fields.
    LayoutTable& layouts() { return m_layouts; }
    // The preview's "chkAutoUpdate".
    bool previewAutoUpdate() const;
    void setPreviewAutoUpdate(bool on);
    TfrmPreView* preview() const { return frmPreView; }
    // Fills the preview's current face from a grid row (nothing while it is hidden).
    void ShowRecord(int row);

    // The dialogs, created once with the window and kept.
    TfrmEditData* editDialog() const { return frmEditData; }
    TfrmInfomation* informationDialog() const { return frmInfomation; }
    TfrmOption* optionDialog() const { return frmOption; }
    TfrmSender* senderDialog() const { return frmSender; }
    TfrmVersion* versionWindow() const { return frmVersion; }
    TfrmPrintoutTable* printoutTableWindow() const { return frmPrintoutTable; }
    TfrmAddressCheck* addressCheckWindow() const { return frmAddressCheck; }

    // A file named on the command line, loaded as "開く" would load it.
    void OpenFile(const QString& path);

    // Every modal dialog of the window runs through `runner`, which returns the dialog's
    // result; the default is QDialog::exec. Tests answer dialogs with it.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner);

    QString statusPanel(int panel) const;
    void setStatusPanel(int panel, const QString& text);

    // Set by the exit button while printing; read and cleared by the print run.
    bool AbortRequested = false;

public Q_SLOTS:
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& canClose);

    void btnExitClick();
    void LoadBtnClick();
    void LoadWorkbook(const QString& path);
    void LoadDelimitedList(const QString& path);
    void J1Click();
    void H2Click();
    void P1Click();
    void btnPrintClick();
    void Edit1Change();
    void L1Click();
    void purebyu1Click();
    void D1Click();
    void P2Click();
    void R1Click();
    void O3Click();
    // "差出人(&S)...": the sender's texts and whether every card prints them.
    void Sender1Click();
    void H1Click();
    void V1Click();
    void E1Click();
    void K1Click();
    void rdoYokoOkiClick();
    // "見本印刷" and "位置合わせ用紙を印刷".
    void ProofPrintClick();
    void CalibrationSheetClick();

    void TntStringGrid1SelectCell(int column, int row);
    void TntStringGrid1MouseMove();
    void TabControl1Change(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A list file dropped on the window opens as "開く" opens it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ReadSettings();
    // False when the settings could not be saved and the user chose to stay.
    bool WriteSettings();
    // A setting changed: saved soon, together with the changes that follow at once.
    void settingsChanged();
    // Saves what changed now. A failure is told in the status bar, once for each reason until
    // a save succeeds again.
    bool saveSettings(QString* error = nullptr);
    void applySettings(const SettingsState& state);
    SettingsState currentSettings() const;
    void createWindows();
    void createPreview();
    void placeEditDialog();
    void setRadioChecked(QRadioButton* button, bool checked);
    int runDialog(QDialog& dialog);
    void createStatusBar();
    void setUpGrid();
    void connectCommands();
    // Loads by extension (".XLS" or ".CSVU", any letter case); false for any other.
    bool loadByExtension(const QString& path);
    void rebuildTabs();
    // A shown sheet with other headers takes the remembered answer or a sure guess, or asks
    // "列の対応" (once per header row while the list stays open).
    void mapListColumns();
    // Asks before dropping record edits not yet saved; true when there are none or on OK.
    bool confirmDiscardEdits();
    // The printer dialog; true when the user confirmed a printer (or a file).
    bool choosePrinter();
    // The next open dialog starts in the folder of the current list.
    void startDialogsInListFolder();
    // Before another list is loaded: the status notice and the address findings go.
    void forgetListNotices();
    void showProgress(int percent);
    void gridAboutToReset();
    void gridWasReset();
    void createPaperCommands();

    std::unique_ptr<Ui::TForm1> ui;
    Prompter* m_prompter;
    AddressBook m_book;
    AddressGridModel* m_model = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    std::array<QLabel*, 3> m_statusPanels{};
    QProgressBar* ProgressBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    SessionOptions m_options;
    LayoutTable m_layouts;
    // Kept for the settings file: read at start and written back unchanged.
    std::optional<QPoint> m_previewPosition;
    TfrmPreView* frmPreView = nullptr;
    TfrmEditData* frmEditData = nullptr;
    TfrmInfomation* frmInfomation = nullptr;
    TfrmOption* frmOption = nullptr;
    TfrmSender* frmSender = nullptr;
    TfrmVersion* frmVersion = nullptr;
    TfrmPrintoutTable* frmPrintoutTable = nullptr;
    TfrmAddressCheck* frmAddressCheck = nullptr;
    DialogRunner m_dialogRunner;
    RememberedMappings m_columnMappings;
    QSet<QString> m_declinedMappings; // header rows whose question was cancelled
    QString m_settingsFilePath;
    SettingsFile m_settings;
    QTimer* m_saveTimer = nullptr;
    bool m_settingsRead = false;
    QSet<QString> m_toldSaveErrors;
    QString m_helpFilePath;
    bool m_shown = false;
    bool m_proofRun = false; // the print run in hand is a proof
    // Records were edited with "修正(&E)" since the list was loaded or saved.
    bool m_listEdited = false;

    // The grid's current cell and selected rows, kept across a redraw of the grid.
    int m_keptColumn = 1;
    int m_keptRow = 1;
    int m_keptTop = -1;
    int m_keptBottom = -1;
};
