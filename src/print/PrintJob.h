#pragma once

#include "compose/CardComposer.h"
#include "compose/CardText.h"
#include "layout/LayoutKind.h"
#include "print/CardRenderer.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class AddressGrid;
class HeaderColumns;
class LayoutTable;
class SendMarks;
class PrintHost;
class PrinterDevice;
class Prompter;
struct SessionOptions;

// The paper of the tool bar: "ハガキ(1枚)", "Ａ4（4枚)", "Ａ3（8枚)". The numbers are those the
// settings file keeps.
enum class PaperKind
{
    Postcard = 0,
    A4 = 1,
    A3 = 2
};

struct PrintParameters
{
    PaperKind paper = PaperKind::Postcard;
    LayoutKind kind = LayoutKind::TT;
    // "プリンターの用紙設定をしない(&P)": a postcard run leaves the paper size as the printer
    // has it (the orientation is still set).
    bool noSetPrinter = false;
    // Ask "1～12 を印刷します" before printing; a run from a script does not.
    bool confirm = true;
    // "見本印刷": plain paper with each card's outline and face under the fields; the start
    // position is left for the real run.
    bool proof = false;
};

// One print run over a range of grid rows: the checks, the paper, the confirmation, then one
// card per row with a name, on postcards, four to an A4 sheet or eight to an A3 sheet,
// until the range ends or the user aborts. The window is reached through a PrintHost.
class PrintJob
{
public:
    enum class Outcome
    {
        Printed,   // the whole range
        Refused,   // a check failed; its message is in the status bar
        Cancelled, // the confirmation was answered Cancel
        Aborted,   // the user stopped it; what was drawn is printed
        Failed,    // the printer refused; the error was shown
    };
    struct Result
    {
        Outcome outcome = Outcome::Refused;
        int cards = 0;
        int sheets = 0;
        QString message; // the check message or the error
        int leftOut = 0; // rows with a name marked not to send (喪中, 送付「不要」...)
        QString leftOutText{}; // those rows, as the confirmation names them; empty for none
        // Without a confirmation: its warnings about the cards printed (characters no font
        // draws, joint names shrunk, postal codes), as it would have named them.
        QStringList warnings{};
    };

    static const QString NoDataMessage;         // "２行目に実データがなさそうです"
    static const QString NotAddressListMessage; // "宛名のリストではなさそうです"
    static const QString BadHeaderMessage;      // "見出し行が不整備です"
    static const QString NoPrinterMessage; // "プリンターが接続されていないようです"
    static const QString NoRowsMessage; // "宛名データがありません" (also: no name in range)
    // "印刷する行がリストにありません（開始 0・終了 0、データは 1～5 行）"
    static QString RangeOutsideListMessage(const QString& start, const QString& end, int lastRow);
    static const QString PrintMarker; // "印刷": Edit1's text for a preview print

    // `measure` is the main window's surface, for the spread postal-code digits.
    PrintJob(AddressGrid& grid, const LayoutTable& layouts, const SessionOptions& options,
             TextMeasure measure, PrinterDevice& device, PrintHost& host, Prompter& prompter,
             double screenDpi = CardRenderer::StandardScreenDpi);
    ~PrintJob();

    // The run. A failure inside it (an exception included) still ends the document and gives
    // the window its buttons back before it is passed on.
    Result btnPrintClick(const PrintParameters& parameters);

    // The line the confirmation adds for cards with characters no font can draw:
    // "3 件に印刷できない文字があります（行 4, 9, 11）".
    static QString UndrawableRowsMessage(const QList<int>& rows);
    // The line it adds for cards whose further joint names print smaller for want of room:
    // "2 件は連名が入りきらず小さく印刷されます（行 3, 8）".
    static QString ShrunkJointNamesMessage(const QList<int>& rows);
    // And for postal codes that cannot be Japan Post's:
    // "1 件は郵便番号が７桁の番号ではありません（行 4）".
    static QString PostalCodeRowsMessage(const QList<int>& rows);
    // A number that lost its leading zero, printed with it:
    // "1 件は郵便番号の先頭の 0 を補って印刷します（行 4）".
    static QString RestoredPostalCodeMessage(const QList<int>& rows);
    // A postal-code cell without a code (「不明」), printed without one:
    // "1 件は郵便番号の欄が番号ではないため郵便番号なしで印刷します（行 5）".
    static QString NotPostalCodeMessage(const QList<int>& rows);
    // A barcode whose data starts with another postal code than the card's:
    // "1 件はバーコードのコードが別の郵便番号のものです（行 3）".
    static QString StaleBarcodeMessage(const QList<int>& rows);
    static QString NoAddressMessage(const QList<int>& rows);

    // "OUT.pdf は既に存在します。\n上書きしますか?", asked before printing into a file that is
    // there.
    static QString OverwriteQuestion(const QString& file);

    static int cardsPerSheet(PaperKind paper);
    // The paper name given to SetPrinterPaper: "POST", "A4", "A3".
    static QString paperName(PaperKind paper);
    // Whether the sheet lies landscape: A3 for portrait cards, A4 and postcards for
    // landscape ones.
    static bool landscapePaper(PaperKind paper, LayoutKind kind);

    // Hands the composer its barcode data source (see CardComposer).
    void setBarcodeDataSource(CardComposer::BarcodeDataSource source)
    {
        m_barcodeSource = std::move(source);
    }
    // The address check of the rows to print, run before the confirmation while
    // "住所からバーコードを作る" is on: the number of rows to look at.
    using AddressCheck = std::function<int(const AddressGrid&, const HeaderColumns&, int, int)>;
    void setAddressCheck(AddressCheck check) { m_addressCheck = std::move(check); }

    // State of the last run.
    int CardsPerSheet() const { return m_cardsPerSheet; }
    int SheetPosition() const { return m_sheetPosition; }

private:
    // What the confirmation warns of, by row.
    struct CardWarnings
    {
        QList<int> undrawable;       // characters neither the font nor a fallback face has
        QList<int> jointNamesShrunk; // further joint names smaller for want of room
        QList<int> postalCodes;      // a postal code that is not seven digits
        // Postal-code cells of six digits given their leading zero back, and of no code at all.
        QList<int> restoredPostalCodes, notPostalCodes;
        // Bars made for another postal code than the card's.
        QList<int> staleBarcodes;
        // Cards with neither an address nor a postal code: the post cannot deliver them.
        QList<int> noAddress;
        QStringList lines() const;
    };
    void noteWarnings(const AddressRecord& record, const HeaderColumns& columns, LayoutKind kind,
                      const CardTexts& texts, CardWarnings& warnings) const;
    // `warnings`, when given, collects the warnings of the cards printed.
    Result printRows(int start, int end, LayoutKind kind, const HeaderColumns& columns,
                     CardWarnings* warnings);
    // A row that prints a card: it has a name or a company and is not marked as not to send.
    bool printsCard(int row, const HeaderColumns& columns) const;
    // The warnings of the range's cards, before anything prints.
    CardWarnings cardWarnings(int start, int end, LayoutKind kind,
                              const HeaderColumns& columns) const;
    void finish(Result& result);
    // The confirmation's paper: "ハガキ 縦", "A4 横"; the printer's own paper when the run
    // leaves it.
    QString paperText(const PrintParameters& parameters, bool landscape) const;

    AddressGrid& m_grid;
    const LayoutTable& m_layouts;
    const SessionOptions& m_options;
    TextMeasure m_measure;
    PrinterDevice& m_device;
    PrintHost& m_host;
    Prompter& m_prompter;
    CardRenderer m_renderer;
    CardComposer::BarcodeDataSource m_barcodeSource;
    AddressCheck m_addressCheck;
    std::unique_ptr<SendMarks> m_sendMarks;
    int m_cardsPerSheet = 1;
    int m_sheetPosition = 1;
    bool m_proof = false;
};
