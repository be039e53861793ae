#include "print/PrintJob.h"

#include "addresslist/AddressGrid.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/HeaderColumns.h"
#include "addresslist/SendMarks.h"
#include "common/Prompter.h"
#include "common/TextHelpers.h"
#include "common/numbers.h"
#include "compose/CardComposer.h"
#include "compose/CustomerBarcode.h"
#include "layout/LayoutTable.h"
#include "print/PrintHost.h"
#include "print/PrinterDevice.h"

#include <QFileInfo>

#include <algorithm>

const QString PrintJob::NoDataMessage = QStringLiteral("２行目に実データがなさそうです");
const QString PrintJob::NotAddressListMessage = QStringLiteral("宛名のリストではなさそうです");
const QString PrintJob::BadHeaderMessage = QStringLiteral("見出し行が不整備です");
const QString PrintJob::NoPrinterMessage = QStringLiteral("プリンターが接続されていないようです");
const QString PrintJob::NoRowsMessage = QStringLiteral("宛名データがありません");
const QString PrintJob::PrintMarker = QStringLiteral("印刷");

QString PrintJob::RangeOutsideListMessage(const QString& start, const QString& end, int lastRow)
{
    return QStringLiteral("印刷する行がリストにありません（開始 %1・終了 %2、データは 1～%3 行）")
        .arg(start.trimmed(), end.trimmed())
        .arg(lastRow);
}

PrintJob::PrintJob(AddressGrid& grid, const LayoutTable& layouts, const SessionOptions& options,
                   TextMeasure measure, PrinterDevice& device, PrintHost& host, Prompter& prompter,
                   double screenDpi)
    : m_grid(grid), m_layouts(layouts), m_options(options), m_measure(std::move(measure)),
      m_device(device), m_host(host), m_prompter(prompter), m_renderer(layouts, options, screenDpi)
{}

PrintJob::~PrintJob() = default;

bool PrintJob::printsCard(int row, const HeaderColumns& columns) const
{
    if (!HasAddressee(m_grid, columns, row))
        return false;
    return !(m_sendMarks && m_sendMarks->reason(row));
}

int PrintJob::cardsPerSheet(PaperKind paper)
{
    return paper == PaperKind::A3 ? 8 : paper == PaperKind::A4 ? 4 : 1;
}

QString PrintJob::paperName(PaperKind paper)
{
    return paper == PaperKind::A3   ? QStringLiteral("A3")
           : paper == PaperKind::A4 ? QStringLiteral("A4")
                                    : QStringLiteral("POST");
}

QString PrintJob::OverwriteQuestion(const QString& file)
{
    return QStringLiteral("%1 は既に存在します。\n上書きしますか?").arg(file);
}

QString PrintJob::paperText(const PrintParameters& parameters, bool landscape) const
{
    QString paper;
    if (parameters.noSetPrinter && parameters.paper == PaperKind::Postcard)
        paper = m_device.pageLayout().pageSize().name() + QStringLiteral("（プリンターの設定）");
    else
        paper = parameters.paper == PaperKind::A3   ? QStringLiteral("A3")
                : parameters.paper == PaperKind::A4 ? QStringLiteral("A4")
                                                    : QStringLiteral("ハガキ");
    return paper + (landscape ? QStringLiteral(" 横") : QStringLiteral(" 縦"));
}

bool PrintJob::landscapePaper(PaperKind paper, LayoutKind kind)
{
    return paper == PaperKind::A3 ? !isLandscape(kind) : isLandscape(kind);
}

PrintJob::Result PrintJob::btnPrintClick(const PrintParameters& parameters)
{
    const auto refuse = [this](const QString& message) {
        m_host.showStatus(message);
        return Result{Outcome::Refused, 0, 0, message};
    };

    if (m_grid.rowText(1).remove(u',').size() < 3)
        return refuse(NoDataMessage);
    if (!m_grid.rowText(0).contains(u"宛先"))
        return refuse(NotAddressListMessage);
    HeaderColumns columns;
    if (!columns.FindHeaderColumns(m_grid, &m_prompter))
        return refuse(BadHeaderMessage);
    if (!m_device.isPresent())
        return refuse(NoPrinterMessage);

    const LayoutKind kind = parameters.kind;
    m_proof = parameters.proof;
    m_cardsPerSheet = cardsPerSheet(parameters.paper);
    m_host.setPreviewKind(kind);
    const bool landscape = landscapePaper(parameters.paper, kind);
    if (parameters.noSetPrinter && parameters.paper == PaperKind::Postcard)
        m_device.setPaper(std::nullopt, landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    else
        SetPrinterPaper(m_device, paperName(parameters.paper), landscape);

    m_sheetPosition =
        std::clamp(numbers::lenientInt(m_host.startOfPaperText()), 1, m_cardsPerSheet);

    int start = numbers::lenientInt(m_host.startLineText());
    int end = numbers::lenientInt(m_host.endLineText());
    if (start > end)
        std::swap(start, end);
    if (m_grid.rowCount() < 2)
        return refuse(NoRowsMessage);
    // Row 0 is the header, never a card: a range from it (a select-all) starts at row 1. A
    // range wholly outside the list (fields left from a longer list) is told, not ignored.
    const int lastUsed = m_grid.lastUsedRow();
    if (end < 1 || start > lastUsed)
        return refuse(
            RangeOutsideListMessage(m_host.startLineText(), m_host.endLineText(), lastUsed));
    start = std::max(start, 1);
    end = std::min(end, m_grid.rowCount() - 1);
    m_host.setStartLineText(QString::number(start));
    m_host.setEndLineText(QString::number(end));
    // Rows marked not to send are left out like rows without a name, and the user is told.
    m_sendMarks = std::make_unique<SendMarks>(m_grid);
    QList<QPair<int, SendMarks::Reason>> leftOut;
    for (int row = start; row <= end; ++row)
        if (HasAddressee(m_grid, columns, row))
            if (std::optional<SendMarks::Reason> reason = m_sendMarks->reason(row))
                leftOut.append({row, *reason});
    // The document opens for a first card only: a range of blank names feeds no empty sheet.
    bool anyCard = false;
    for (int row = start; row <= end && !anyCard; ++row)
        anyCard = printsCard(row, columns);
    if (!anyCard) {
        if (leftOut.isEmpty())
            return refuse(NoRowsMessage);
        Result refused = refuse(NoRowsMessage + u'：' + SendMarks::LeftOutMessage(leftOut));
        refused.leftOut = int(leftOut.size());
        return refused;
    }

    if (parameters.confirm) {
        QString question =
            QString::number(start) + u'～' + QString::number(end) + QStringLiteral(" を印刷します");
        // Where to and on what: a run that would go to the wrong printer or paper is caught
        // here.
        question += QStringLiteral("\nプリンター: ") + m_device.name() +
                    QStringLiteral("\n用紙: ") + paperText(parameters, landscape);
        if (!leftOut.isEmpty())
            question += u'\n' + SendMarks::LeftOutMessage(leftOut);
        for (const QString& warning : cardWarnings(start, end, kind, columns).lines())
            question += u'\n' + warning;
        if (m_options.barcodeFromAddress && m_addressCheck) {
            if (const int findings = m_addressCheck(m_grid, columns, start, end))
                question += u'\n' + QString::number(findings) +
                            QStringLiteral(" 件の住所を確認してください（住所チェック）");
        }
        if (!m_prompter.confirm(question, QStringLiteral("実行確認")))
            return Result{Outcome::Cancelled, 0, 0, QString()};
        // A second run into the file the print dialog named would replace the first silently.
        const QString file = m_device.outputFile();
        if (!file.isEmpty() && QFileInfo::exists(file) &&
            !m_prompter.confirm(OverwriteQuestion(file), QStringLiteral("実行確認")))
            return Result{Outcome::Cancelled, 0, 0, QString()};
    }

    if (!m_device.beginDocument()) {
        Result failed{Outcome::Failed, 0, 0, m_device.errorText()};
        m_prompter.showError(failed.message);
        return failed;
    }
    m_host.setPrinting(true);
    m_host.setAbortRequested(false);

    Result result;
    CardWarnings warnings;
    try {
        result = printRows(start, end, kind, columns, parameters.confirm ? nullptr : &warnings);
    } catch (...) {
        Result ignored;
        finish(ignored);
        throw;
    }
    finish(result);
    result.leftOut = int(leftOut.size());
    if (!leftOut.isEmpty())
        result.leftOutText = SendMarks::LeftOutMessage(leftOut);
    result.warnings = warnings.lines();
    if (result.outcome == Outcome::Failed)
        m_prompter.showError(result.message);
    return result;
}

PrintJob::Result PrintJob::printRows(int start, int end, LayoutKind kind,
                                     const HeaderColumns& columns, CardWarnings* warnings)
{
    CardComposer composer(m_options, m_measure);
    composer.setBarcodeDataSource(m_barcodeSource);
    const double yubinFontSize = m_layouts.record(kind, LayoutItem::YubinNo1).FontSize;

    Result result{Outcome::Printed, 0, 1, QString()};
    // A new sheet is fed only when a card is about to go on it, so rows with a blank name
    // at the end of the range leave no empty sheet behind.
    bool sheetFull = false;
    for (int row = start; row <= end; ++row) {
        if (!printsCard(row, columns))
            continue;
        const std::optional<AddressRecord> record = ReadAddressRecord(m_grid, columns, row);
        if (!record)
            continue;

        CardTexts texts = composer.ComposeCardTexts(*record, kind, CardComposer::Purpose::Print,
                                                    yubinFontSize, &m_grid, &columns);
        m_host.showRowText(m_grid.rowText(row));
        if (m_host.edit1Text() == PrintMarker) {
            if (std::optional<CardTexts> shown = m_host.previewCardTexts(kind))
                texts = *shown;
        } else {
            m_host.showCardOnPreview(kind, texts);
        }

        if (sheetFull) {
            if (!m_device.newPage())
                return Result{Outcome::Failed, result.cards, result.sheets, m_device.errorText()};
            ++result.sheets;
            sheetFull = false;
        }
        const CardPlacement placement{m_cardsPerSheet, m_sheetPosition, m_host.hoseiXText(),
                                      m_host.hoseiYText(), m_proof};
        if (warnings)
            noteWarnings(*record, columns, kind, texts, *warnings);
        m_renderer.DrawCard(kind, *m_device.painter(), texts, placement);
        ++result.cards;

        ++m_sheetPosition;
        if (!m_proof && numbers::lenientInt(m_host.startOfPaperText()) > 0)
            m_host.setStartOfPaperText(
                QString::number((m_sheetPosition - 1) % m_cardsPerSheet + 1));

        m_host.processEvents();
        if (m_host.abortRequested()) {
            result.outcome = Outcome::Aborted;
            break;
        }
        if (row != end && (m_cardsPerSheet == 1 || m_sheetPosition % m_cardsPerSheet == 1))
            sheetFull = true;
    }
    return result;
}

namespace {
// "4, 9, 11": a long list is cut, the count before it says how many there are.
QString rowList(const QList<int>& rows)
{
    constexpr qsizetype MaxRowsNamed = 20;
    QStringList named;
    for (qsizetype i = 0; i < rows.size() && i < MaxRowsNamed; ++i)
        named << QString::number(rows[i]);
    if (rows.size() > MaxRowsNamed)
        named << QStringLiteral("…");
    return named.join(QStringLiteral(", "));
}

// "%1 件は…（行 %2）": the count and the rows named.
QString rowsMessage(const QString& text, const QList<int>& rows)
{
    return text.arg(rows.size()).arg(rowList(rows));
}
} // namespace

QString PrintJob::UndrawableRowsMessage(const QList<int>& rows)
{
    return rowsMessage(QStringLiteral("%1 件に印刷できない文字があります（行 %2）"), rows);
}

QString PrintJob::ShrunkJointNamesMessage(const QList<int>& rows)
{
    return rowsMessage(QStringLiteral("%1 件は連名が入りきらず小さく印刷されます（行 %2）"), rows);
}

QString PrintJob::PostalCodeRowsMessage(const QList<int>& rows)
{
    return rowsMessage(QStringLiteral("%1 件は郵便番号が７桁の番号ではありません（行 %2）"), rows);
}

QString PrintJob::RestoredPostalCodeMessage(const QList<int>& rows)
{
    return rowsMessage(QStringLiteral("%1 件は郵便番号の先頭の 0 を補って印刷します（行 %2）"),
                       rows);
}

QString PrintJob::NotPostalCodeMessage(const QList<int>& rows)
{
    return rowsMessage(
        QStringLiteral("%1 件は郵便番号の欄が番号ではないため郵便番号なしで印刷します（行 %2）"),
        rows);
}

QString PrintJob::StaleBarcodeMessage(const QList<int>& rows)
{
    return rowsMessage(QStringLiteral("%1 件はバーコードのコードが別の郵便番号のものです（行 %2）"),
                       rows);
}

QString PrintJob::NoAddressMessage(const QList<int>& rows)
{
    return rowsMessage(QStringLiteral("%1 件は住所も郵便番号もありません（行 %2）"), rows);
}

QStringList PrintJob::CardWarnings::lines() const
{
    QStringList out;
    if (!noAddress.isEmpty())
        out << NoAddressMessage(noAddress);
    if (!restoredPostalCodes.isEmpty())
        out << RestoredPostalCodeMessage(restoredPostalCodes);
    if (!notPostalCodes.isEmpty())
        out << NotPostalCodeMessage(notPostalCodes);
    if (!staleBarcodes.isEmpty())
        out << StaleBarcodeMessage(staleBarcodes);
    if (!postalCodes.isEmpty())
        out << PostalCodeRowsMessage(postalCodes);
    if (!undrawable.isEmpty())
        out << UndrawableRowsMessage(undrawable);
    if (!jointNamesShrunk.isEmpty())
        out << ShrunkJointNamesMessage(jointNamesShrunk);
    return out;
}

void PrintJob::noteWarnings(const AddressRecord& record, const HeaderColumns& columns,
                            LayoutKind kind, const CardTexts& texts, CardWarnings& warnings) const
{
    const int row = record.row;
    if (!m_renderer.CanDrawCard(kind, texts))
        warnings.undrawable << row;
    if (m_renderer.JointNamesShrink(kind, texts))
        warnings.jointNamesShrunk << row;
    const QString postal = texts[LayoutItem::YubinNo1] + texts[LayoutItem::YubinNo2];
    // An empty address field holds an ideographic space: any white space is nothing here.
    const auto empty = [](const QString& text) { return text.trimmed().isEmpty(); };
    if (empty(postal) && empty(texts[LayoutItem::Jyusho1]) && empty(texts[LayoutItem::Jyusho2]))
        warnings.noAddress << row;
    if (!IsBlankText(postal) && PostalCodeDigits(postal).isEmpty())
        warnings.postalCodes << row;
    // The cell as the list has it: the record already holds the code with its zero back.
    const QString cell = m_grid.cell(columns[HeaderColumns::PostalCode], row);
    if (!RestoredPostalCode(cell).isEmpty())
        warnings.restoredPostalCodes << row;
    else if (IsNotPostalCode(cell))
        warnings.notPostalCodes << row;
    // Bars for one place and boxes for another send the card astray.
    const QString barcodeCode = BarcodeDataPostalCode(texts[LayoutItem::PostCode]);
    const QString postalDigits = PostalCodeDigits(record[HeaderColumns::PostalCode]);
    if (!barcodeCode.isEmpty() && !postalDigits.isEmpty() && barcodeCode != postalDigits)
        warnings.staleBarcodes << row;
}

PrintJob::CardWarnings PrintJob::cardWarnings(int start, int end, LayoutKind kind,
                                              const HeaderColumns& columns) const
{
    // As the cards will be: a barcode made from the address takes room from joint names.
    CardComposer composer(m_options, m_measure);
    composer.setBarcodeDataSource(m_barcodeSource);
    const double yubinFontSize = m_layouts.record(kind, LayoutItem::YubinNo1).FontSize;
    const bool fromPreview = m_host.edit1Text() == PrintMarker;
    CardWarnings warnings;
    for (int row = start; row <= end; ++row) {
        if (!printsCard(row, columns))
            continue;
        const std::optional<AddressRecord> record = ReadAddressRecord(m_grid, columns, row);
        if (!record)
            continue;
        // Composed without a grid: the barcode goes into its cell when the card is printed.
        std::optional<CardTexts> texts;
        if (fromPreview)
            texts = m_host.previewCardTexts(kind);
        if (!texts)
            texts = composer.ComposeCardTexts(*record, kind, CardComposer::Purpose::Print,
                                              yubinFontSize);
        noteWarnings(*record, columns, kind, *texts, warnings);
    }
    return warnings;
}

void PrintJob::finish(Result& result)
{
    if (!m_device.endDocument() && result.outcome != Outcome::Failed) {
        result.outcome = Outcome::Failed;
        result.message = m_device.errorText();
    }
    m_host.setPrinting(false);
    m_host.setAbortRequested(false);
}
