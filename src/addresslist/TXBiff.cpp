#include "addresslist/TXBiff.h"

#include "addresslist/BiffNumbers.h"
#include "addresslist/ByteCursor.h"
#include "addresslist/CellTarget.h"
#include "addresslist/CompoundDocument.h"
#include "addresslist/NumberFormat.h"
#include "addresslist/SharedStrings.h"
#include "addresslist/XBiffError.h"
#include "common/cp932.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <bit>
#include <chrono>
#include <exception>
#include <future>
#include <limits>
#include <optional>
#include <type_traits>

namespace {

// Record numbers.
enum : quint16
{
    kInteger2 = 0x0002,
    kNumber2 = 0x0003,
    kLabel2 = 0x0004,
    kFormula = 0x0006,
    kString2 = 0x0007,
    kEof = 0x000A,
    kFormat2 = 0x001E,
    kXf2 = 0x0043,
    kXf = 0x00E0,
    kXf3 = 0x0243,
    kFormat = 0x041E,
    kXf4 = 0x0443,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kColInfo = 0x007D,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kFormula3 = 0x0206,
    kString = 0x0207,
    kRk = 0x027E,
    kFormula4 = 0x0406,
    kBof2 = 0x0009,
    kBof3 = 0x0209,
    kBof4 = 0x0409,
    kBof = 0x0809,
};

constexpr quint16 kBiff8Version = 0x0600;
constexpr quint16 kGlobalsType = 0x0005;
constexpr quint16 kWorksheetType = 0x0010;
// An SST or CONTINUE body longer than this is not a workbook we know.
constexpr quint16 kMaxSstPiece = 8224;
// BIFF has 256 columns; a COLINFO reaching further is clipped rather than reported 32768 times.
constexpr int kLastColumn = 255;
constexpr int kDefaultCodePage = 932;

bool isBof(quint16 number)
{
    return number == kBof2 || number == kBof3 || number == kBof4 || number == kBof;
}

// 16-bit units in little-endian order; with stopAtZero the text ends at the first zero unit.
QString utf16Le(QByteArrayView bytes, bool stopAtZero)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    qsizetype n = 0;
    for (; n < units; ++n) {
        const char16_t unit = char16_t(quint8(bytes[2 * n]) | (quint8(bytes[2 * n + 1]) << 8));
        if (stopAtZero && unit == 0)
            break;
        text[n] = QChar(unit);
    }
    text.truncate(n);
    return text;
}

// BIFF8 characters: 16-bit units, or bytes that are the low halves of units.
QString biff8Chars(QByteArrayView bytes, bool wide)
{
    return wide ? utf16Le(bytes, false) : QString::fromLatin1(bytes.data(), bytes.size());
}

// One writer stores a cached formula string with its bytes swapped. Swap back only when the
// text as stored is not valid UTF-16 (a lone surrogate, an unassigned or non-character code)
// and the swapped text is; a valid text is never touched.
int doubtfulUnits(QStringView text)
{
    int doubtful = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t ucs = QChar::surrogateToUcs4(c, text[i + 1]);
            if (QChar::category(ucs) == QChar::Other_NotAssigned || QChar::isNonCharacter(ucs))
                ++doubtful;
            ++i;
        } else if (c.isSurrogate() || c.category() == QChar::Other_NotAssigned ||
                   c.isNonCharacter()) {
            ++doubtful;
        }
    }
    return doubtful;
}

QString unswapped(const QString& text)
{
    if (doubtfulUnits(text) == 0)
        return text;
    QString swapped = text;
    for (QChar& c : swapped)
        c = QChar(char16_t((c.unicode() >> 8) | (c.unicode() << 8)));
    return doubtfulUnits(swapped) == 0 ? swapped : text;
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return {};
    }
}

// Code pages as BIFF names them; the two Apple/ANSI markers of early versions mapped to
// their Windows numbers.
int windowsCodePage(quint16 stored)
{
    switch (stored) {
    case 0x8000:
        return 10000;
    case 0x8001:
        return 1252;
    default:
        return stored;
    }
}

} // namespace

// One pass over one workbook stream. Lives only for the read.
class TXBiff::Read
{
public:
    Read(TXBiff& owner, QByteArrayView bytes, Layout layout)
        : m_owner(owner), m_bytes(bytes), m_in(bytes), m_layout(layout)
    {}

    void run()
    {
        firstScan();
        while (!m_in.atEnd()) {
            const qsizetype start = m_in.pos();
            if (!commonCell())
                record();
            if (!m_in.ok() && !m_cutNoted) {
                // The stream ends inside this record. Zero bytes there are padding.
                m_cutNoted = true;
                const QByteArrayView tail = m_bytes.sliced(start);
                if (std::any_of(tail.begin(), tail.end(), [](char c) { return c != 0; }))
                    m_owner.m_damaged = true;
            }
            report();
            if (m_cancel)
                break;
        }
        // Every writer ends the stream with an EOF record (zero padding aside), after the
        // sheets the globals name; a stream that does not was cut.
        if (!m_cancel && m_sawBof && (m_lastRecord != kEof || m_sheetNo < m_sheetNames))
            m_owner.m_damaged = true;
        m_owner.m_progress = 0;
        if (m_owner.OnProgress)
            m_owner.OnProgress(0);
    }

private:
    // Finds the first BOF word, two bytes at a time; it fixes the layout and may count the
    // first sheet. Without one, nothing is read.
    void firstScan()
    {
        while (m_in.remaining() >= 2) {
            const quint16 word = m_in.u16();
            if (!isBof(word))
                continue;
            ByteCursor body = m_in.take(m_in.u16());
            const quint16 version = body.u16();
            const quint16 type = body.u16();
            if (word != kBof2)
                m_layout = Layout::Biff3To7;
            if (version == kBiff8Version)
                m_layout = Layout::Biff8;
            if (type == kWorksheetType)
                ++m_sheetNo;
            m_substreams.append(type);
            m_sawBof = true;
            // A file cut inside its first record holds nothing of a workbook to show.
            m_owner.m_foundWorkbook = m_in.ok();
            m_lastRecord = word;
            return;
        }
        m_in.seek(m_in.size());
    }

    void report()
    {
        // The percentage changes a hundred times in millions of records: divide only when the
        // position leaves the span of the current one.
        const qint64 pos = m_in.pos();
        if (pos < m_percentFrom || pos >= m_percentUntil) {
            const qint64 size = m_in.size();
            const int percent = size > 0 ? int(pos * 100 / size) : 0;
            m_owner.m_progress = percent;
            m_percentFrom = size > 0 ? (qint64(percent) * size + 99) / 100 : 0;
            m_percentUntil = size > 0 ? (qint64(percent + 1) * size + 99) / 100
                                      : std::numeric_limits<qint64>::max();
            if (percent != m_reported && m_owner.OnProgress)
                m_owner.OnProgress(percent);
            m_reported = percent;
        }
    }

    // A LABELSST, NUMBER or RK record of the usual length, whole in the stream, read in place
    // without a cursor of its own: millions of them make up a big workbook. Anything else, or
    // a string the table does not hold, goes the general way.
    bool commonCell()
    {
        const qsizetype pos = m_in.pos();
        if (m_in.size() - pos < 14)
            return false;
        const char* const p = m_bytes.data() + pos;
        const auto le = [p](int at, int width) { return ByteCursor::littleEndian(p + at, width); };
        const quint16 number = quint16(le(0, 2));
        const quint16 length = quint16(le(2, 2));
        const int row = int(le(4, 2));
        const int col = int(le(6, 2));
        const int xf = int(le(8, 2));
        switch (number) {
        case kLabelSst: {
            const quint32 index = quint32(le(10, 4));
            if (length != 10 || index >= quint64(m_sst.size()))
                return false;
            cell(
                row, col, 0, [this, index]() -> const QString& { return sharedString(index); },
                qsizetype(index));
            break;
        }
        case kNumber:
            if (length != 14 || m_in.size() - pos < 18)
                return false;
            numberCell(row, col, xf, std::bit_cast<double>(le(10, 8)), xf);
            break;
        case kRk:
            if (length != 10)
                return false;
            numberCell(row, col, xf, biffnumbers::decodeRk(quint32(le(10, 4))), xf);
            break;
        default:
            return false;
        }
        m_lastRecord = number;
        m_in.seek(pos + 4 + length);
        return true;
    }

    void record()
    {
        const quint16 number = m_in.u16();
        const quint16 length = m_in.u16();
        if (!m_in.ok())
            return; // a record header cut off by the end of the stream
        if (number != 0 || length != 0)
            m_lastRecord = number;
        if (number == kSst) {
            sharedStrings(length);
            return;
        }
        // Fields are read from the record's own bytes only, so a short or lying length never
        // reaches into the next record, and the next record starts where this one says.
        ByteCursor body = m_in.take(length);
        handle(number, length, body);
    }

    // Each record's own fields; a cell record too short for them (cut
    // to nothing, or a text longer than the record) loses its cell, and the read says so.
    // A text that a writer goes on with in a CONTINUE record is only cut, not lost.
    void handle(quint16 number, quint16 length, ByteCursor& body)
    {
        bool holdsCell = true;
        switch (number) {
        case kInteger2:
            integer(body);
            break;
        case kNumber2:
            number2(body);
            break;
        case kNumber:
            number3(body);
            break;
        case kLabel2:
            label2(body);
            break;
        case kLabel:
            label(body);
            break;
        case kRString:
            richString(body);
            break;
        case kFormula:
        case kFormula3:
        case kFormula4:
            formula(body);
            break;
        case kString2:
        case kString:
            formulaString(body);
            break;
        case kLabelSst:
            labelSst(body);
            break;
        case kRk:
            rk(body);
            break;
        case kMulRk:
            mulRk(body, length);
            break;
        case kColInfo:
            holdsCell = false;
            colInfo(body);
            break;
        case kBoundSheet:
            holdsCell = false;
            boundSheet(body);
            break;
        case kCodePage:
            holdsCell = false;
            codePage(body);
            break;
        case kFormat:
        case kFormat2:
            format(body, number);
            break;
        case kXf:
        case kXf3:
        case kXf4:
            xf(body, number);
            break;
        case kBof2:
        case kBof3:
        case kBof4:
        case kBof:
            holdsCell = false;
            bof(body);
            break;
        case kEof:
            holdsCell = false;
            if (!m_substreams.isEmpty())
                m_substreams.removeLast();
            break;
        default:
            holdsCell = false;
            break; // everything else is skipped; reading goes on past an EOF
        }
        quint16 next = 0;
        if (holdsCell && !body.ok() && !(m_in.peekU16(&next) && next == kContinue))
            m_owner.m_damaged = true;
    }

    // Charts keep their series values in cell records, and macro sheets have cells too; their
    // BOF does not count a sheet, so those cells would land on the worksheet before them.
    bool inOtherSheet() const
    {
        if (m_substreams.isEmpty())
            return false;
        const quint16 type = m_substreams.last();
        return type != kWorksheetType && type != kGlobalsType;
    }

    // `text` is the cell's text, or a function making it: numbers are formatted only for the
    // cells the owner wants.
    // `shared`: the shared string the text is, or -1.
    template <typename Text>
    void cell(int row, int col, int attr, Text&& text, qsizetype shared = -1)
    {
        if (inOtherSheet())
            return;
        m_lastRow = row;
        m_lastCol = col;
        m_lastAttr = attr;
        m_haveCell = true;
        if (CellTarget* const target = m_owner.m_target) {
            if constexpr (std::is_invocable_v<Text>) {
                if (shared < 0)
                    target->text(m_sheetNo, row, col, text());
                else if (!target->shared(m_sheetNo, row, col, shared))
                    target->sharedText(m_sheetNo, row, col, shared, text());
            } else {
                target->text(m_sheetNo, row, col, text);
            }
            return;
        }
        if (!m_owner.OnReadCell && !(shared >= 0 && m_owner.OnReadSharedCell))
            return;
        if (m_owner.OnWantCell && !m_owner.OnWantCell(m_sheetNo, row, col))
            return;
        if constexpr (std::is_invocable_v<Text>) {
            if (shared >= 0 && m_owner.OnReadSharedCell) {
                m_owner.OnReadSharedCell(m_sheetNo, row, col, shared, text(), m_cancel);
                return;
            }
        }
        if (!m_owner.OnReadCell)
            return;
        if constexpr (std::is_invocable_v<Text>)
            m_owner.OnReadCell(m_sheetNo, row, col, attr, text(), m_cancel);
        else
            m_owner.OnReadCell(m_sheetNo, row, col, attr, text, m_cancel);
    }

    // A number cell: its text is made only for a cell that is wanted; a target gets the value
    // itself unless its style changes the text.
    void numberCell(int row, int col, int attr, double value, int xf)
    {
        CellTarget* const target = m_owner.m_target;
        if (!target || inOtherSheet()) {
            cell(row, col, attr,
                 [this, value, xf]() -> const QString& { return numberText(value, xf); });
            return;
        }
        m_lastRow = row;
        m_lastCol = col;
        m_lastAttr = attr;
        m_haveCell = true;
        if (xf != m_generalXf) {
            if (const QString* code = formatOf(xf)) {
                if (const std::optional<QString> text = numberformat::addressText(*code, value)) {
                    target->text(m_sheetNo, row, col, *text);
                    return;
                }
            } else {
                m_generalXf = xf;
            }
        }
        target->number(m_sheetNo, row, col, value);
    }

    QString text8(QByteArrayView bytes) const { return cp932::decodeCodePage(bytes, m_codePage); }

    static int attr3(ByteCursor& body)
    {
        const int low = body.u16();
        return low | (body.u8() << 16);
    }

    void integer(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int attr = attr3(body);
        const int value = body.u16();
        if (body.ok())
            cell(row, col, attr, [value] { return QString::number(value); });
    }

    void number2(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int attr = attr3(body);
        const double value = body.f64();
        if (body.ok())
            numberCell(row, col, attr, value, -1);
    }

    void number3(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int xf = body.u16();
        const double value = body.f64();
        if (body.ok())
            numberCell(row, col, xf, value, xf);
    }

    void label2(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int attr = attr3(body);
        body.skip(1);
        if (body.ok())
            cell(row, col, attr, text8(body.bytes(body.remaining())));
    }

    void label(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int xf = body.u16();
        // A BIFF8 LABEL (some writers still use it there) holds a Unicode string.
        if (m_layout == Layout::Biff8) {
            if (const std::optional<QString> text = biff8String(body))
                cell(row, col, xf, *text);
            return;
        }
        body.skip(2); // byte count: the text is the rest of the record
        if (body.ok())
            cell(row, col, xf, text8(body.bytes(body.remaining())));
    }

    void richString(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int xf = body.u16();
        if (m_layout == Layout::Biff8) {
            if (const std::optional<QString> text = biff8String(body))
                cell(row, col, xf, *text);
            return;
        }
        const quint16 count = body.u16();
        if (body.ok())
            cell(row, col, xf, text8(body.bytes(count)));
    }

    // A BIFF8 string with a 16-bit character count: the characters that are there, or nothing
    // when its header is cut off. The rich-text and phonetic data after them are not read.
    static std::optional<QString> biff8String(ByteCursor& body)
    {
        const quint16 count = body.u16();
        const quint8 options = body.u8();
        if (options & 0x08)
            body.skip(2);
        if (options & 0x04)
            body.skip(4);
        if (!body.ok())
            return std::nullopt;
        const bool wide = options & 0x01;
        return biff8Chars(body.bytes(qint64(count) * (wide ? 2 : 1)), wide);
    }

    void formula(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int attr = m_layout == Layout::Biff2 ? attr3(body) : body.u16();
        const QByteArrayView result = body.bytes(8);
        if (!body.ok())
            return;
        // Results other than numbers are marked by 0xFFFF in their last two bytes; the first
        // byte tells which.
        if (quint8(result[6]) == 0xFF && quint8(result[7]) == 0xFF) {
            switch (quint8(result[0])) {
            case 1:
                cell(row, col, attr, result[2] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                return;
            case 2:
                cell(row, col, attr, errorText(quint8(result[2])));
                return;
            default: // a string (its STRING record follows) or an empty string
                cell(row, col, attr, QString());
                return;
            }
        }
        ByteCursor cursor(result);
        const double value = cursor.f64();
        const int xf = m_layout == Layout::Biff2 ? -1 : attr;
        numberCell(row, col, attr, value, xf);
    }

    // The text result of the formula read just before.
    void formulaString(ByteCursor& body)
    {
        std::optional<QString> text;
        if (m_layout == Layout::Biff8) {
            text = biff8String(body);
            if (text)
                text = unswapped(*text);
        } else {
            const quint16 count = m_layout == Layout::Biff2 ? body.u8() : body.u16();
            if (body.ok())
                text = text8(body.bytes(count));
        }
        if (text && m_haveCell)
            cell(m_lastRow, m_lastCol, m_lastAttr, *text);
    }

    void labelSst(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        body.skip(2);
        const quint32 index = body.u32();
        if (body.ok() && index < quint64(m_sst.size()))
            cell(
                row, col, 0, [this, index]() -> const QString& { return sharedString(index); },
                qsizetype(index));
        else if (body.ok())
            m_owner.m_damaged = true; // a string the table does not hold (or lost with its end)
    }

    void rk(ByteCursor& body)
    {
        const int row = body.u16();
        const int col = body.u16();
        const int xf = body.u16();
        const quint32 value = body.u32();
        if (body.ok())
            numberCell(row, col, xf, biffnumbers::decodeRk(value), xf);
    }

    void mulRk(ByteCursor& body, int length)
    {
        const int row = body.u16();
        const int first = body.u16();
        const int pairs = length >= 6 ? (length - 6) / 6 : 0;
        for (int i = 0; i < pairs; ++i) {
            const int xf = body.u16();
            const quint32 value = body.u32();
            if (!body.ok())
                return;
            numberCell(row, first + i, xf, biffnumbers::decodeRk(value), xf);
        }
    }

    void colInfo(ByteCursor& body)
    {
        const int first = body.u16();
        const int last = std::min<int>(body.i16(), kLastColumn);
        const int width = body.u16();
        if (!body.ok() || !m_owner.OnReadColW || inOtherSheet())
            return;
        for (int col = first; col <= last; ++col)
            m_owner.OnReadColW(m_sheetNo, col, width);
    }

    void boundSheet(ByteCursor& body)
    {
        body.skip(5); // stream position, visibility
        const quint8 type = body.u8();
        if (type != 0)
            return; // chart, macro or module sheet
        const quint8 length = body.u8();
        QString name;
        if (m_layout == Layout::Biff8) {
            const bool wide = body.u8() & 0x01;
            name = biff8Chars(body.bytes(qint64(length) * (wide ? 2 : 1)), wide);
        } else {
            name = text8(body.bytes(length));
        }
        if (!body.ok() && name.isEmpty())
            return;
        ++m_sheetNames;
        if (m_owner.OnReadSheetName)
            m_owner.OnReadSheetName(name);
    }

    // Number formats by index: BIFF4 and later number them, BIFF2 and 3 count them in order.
    void format(ByteCursor& body, quint16 number)
    {
        int index = int(m_formats.size());
        QString code;
        if (number == kFormat2 && m_layout == Layout::Biff2 && !m_formatsIndexed) {
            code = text8(body.bytes(body.u8()));
        } else {
            index = body.u16();
            m_formatsIndexed = true;
            if (m_layout == Layout::Biff8) {
                if (const std::optional<QString> text = biff8String(body))
                    code = *text;
            } else {
                code = text8(body.bytes(body.u8()));
            }
        }
        if (body.ok() || !code.isEmpty()) {
            m_formats.insert(index, code);
            m_xfCodes.clear(); // the hash may have moved its entries
            m_generalXf = NoXf;
        }
    }

    // The number format of each cell style, in the order of the XF records.
    void xf(ByteCursor& body, quint16 number)
    {
        int format = -1;
        if (number == kXf) {
            body.skip(2); // font
            format = body.u16();
        } else if (number == kXf2) {
            body.skip(2);
            format = body.u8() & 0x3F;
        } else {
            body.skip(1); // font
            format = body.u8();
        }
        if (m_xfFormats.size() < 65536)
            m_xfFormats.append(body.ok() ? format : -1);
        m_generalXf = NoXf;
    }

    // A number as its cell style shows it where that changes an address, else general. The
    // text is made in one buffer kept for the read: millions of number cells allocate nothing
    // unless a handler keeps their text.
    const QString& numberText(double value, int xf)
    {
        if (const QString* code = formatOf(xf)) {
            if (std::optional<QString> text = numberformat::addressText(*code, value)) {
                m_number = std::move(*text);
                return m_number;
            }
        }
        char ascii[biffnumbers::MaxGeneralLength];
        const int length = biffnumbers::formatGeneral(value, ascii);
        m_number.resize(length);
        std::copy(ascii, ascii + length, m_number.data());
        return m_number;
    }

    // The number format code of a cell style, looked up once per style (formats and styles
    // come before the cells).
    const QString* formatOf(int xf)
    {
        if (xf < 0 || xf >= m_xfFormats.size())
            return nullptr;
        if (m_xfCodes.size() != size_t(m_xfFormats.size()))
            m_xfCodes.assign(size_t(m_xfFormats.size()), std::nullopt);
        std::optional<const QString*>& code = m_xfCodes[size_t(xf)];
        if (!code) {
            // Built-in format 49 is text ("@"): the number shows as it is.
            const auto it = m_formats.constFind(m_xfFormats[xf]);
            code = it != m_formats.cend() ? &*it : nullptr;
        }
        return *code;
    }

    void codePage(ByteCursor& body)
    {
        const quint16 stored = body.u16();
        if (body.ok())
            m_codePage = windowsCodePage(stored);
    }

    void bof(ByteCursor& body)
    {
        body.skip(2); // version
        const quint16 type = body.u16();
        if (body.ok() && type == kWorksheetType) {
            ++m_sheetNo;
            if (m_sheetNo == 1 && m_owner.OnWorksheetsCounted)
                startCountingWorksheets();
            else if (m_counting.valid() &&
                     m_counting.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                tellWorksheets(m_counting.get());
        }
        m_substreams.append(type);
    }

    // A big stream is counted beside the read, which goes on meanwhile: the count is told at
    // the start of a later sheet, if it is ready by then.
    void startCountingWorksheets()
    {
        constexpr qsizetype countBesideFrom = qsizetype(1) << 20;
        const qsizetype from = m_in.pos();
        if (m_bytes.size() - from < countBesideFrom)
            tellWorksheets(countWorksheets(from, m_sheetNo));
        else
            m_counting = std::async(std::launch::async, [this, from, first = m_sheetNo] {
                return countWorksheets(from, first);
            });
    }

    void tellWorksheets(int worksheets)
    {
        if (worksheets >= 0)
            m_owner.OnWorksheetsCounted(worksheets);
    }

    // The worksheets of the stream, `counted` of them before `from`, walking the records as
    // the read does without reading them; -1 when a sheet name or string table comes later.
    // Reads nothing but the stream's bytes.
    int countWorksheets(qsizetype from, int counted) const
    {
        ByteCursor in(m_bytes);
        in.seek(from);
        while (!in.atEnd()) {
            const quint16 number = in.u16();
            ByteCursor body = in.take(in.u16());
            if (number == kBoundSheet || number == kSst)
                return -1;
            if (isBof(number)) {
                body.skip(2);
                if (body.u16() == kWorksheetType && body.ok())
                    ++counted;
            }
        }
        return counted;
    }

    // The SST body and the CONTINUE records after it: a string may run over a piece's end
    // and go on after a fresh option byte. The pieces stay in the stream.
    void sharedStrings(quint16 length)
    {
        if (length > kMaxSstPiece)
            throw XBiffError(XBiffError::unknownFormat());
        std::vector<QByteArrayView> pieces{m_in.bytes(length)};
        quint16 next = 0;
        while (m_in.peekU16(&next) && next == kContinue) {
            m_in.skip(2);
            const quint16 pieceLength = m_in.u16();
            if (!m_in.ok())
                break;
            if (pieceLength > kMaxSstPiece)
                throw XBiffError(XBiffError::unknownFormat());
            pieces.push_back(m_in.bytes(pieceLength));
        }
        m_sst.read(std::move(pieces));
        m_sstTexts.clear();
    }

    // A shared string's text, decoded once: a table's strings are used by many cells. A
    // table too large to keep a slot for each string decodes at every use, and so does a
    // read for a cell target, which keeps what it made of each string itself.
    const QString& sharedString(quint32 index)
    {
        if (m_sst.size() > kMaxKeptStrings || m_owner.m_target) {
            m_number = m_sst.at(qsizetype(index));
            return m_number;
        }
        if (m_sstTexts.empty())
            m_sstTexts.resize(size_t(m_sst.size()));
        QString& text = m_sstTexts[index];
        if (text.isNull())
            text = m_sst.at(qsizetype(index));
        return text;
    }

    TXBiff& m_owner;
    QByteArrayView m_bytes;
    ByteCursor m_in;
    Layout m_layout;
    int m_sheetNo = 0;
    qint64 m_percentFrom = 0;
    qint64 m_percentUntil = 0;
    int m_reported = -1;         // the percentage OnProgress last had
    QList<quint16> m_substreams; // types of the BOFs not yet closed by their EOF, innermost last
    int m_codePage = kDefaultCodePage;
    SharedStrings m_sst;
    QHash<int, QString> m_formats; // number format codes by index
    bool m_formatsIndexed = false;
    QList<int> m_xfFormats; // per XF record: its number format index
    // Per XF record once looked up: its format code in m_formats, or null for none.
    std::vector<std::optional<const QString*>> m_xfCodes;
    // The last style found to have no number format: its numbers are general.
    static constexpr int NoXf = -2;
    int m_generalXf = NoXf;
    static constexpr qsizetype kMaxKeptStrings = qsizetype(1) << 18;
    std::vector<QString> m_sstTexts; // decoded shared strings, null until first used
    QString m_number;                // the text of the current number cell
    int m_sheetNames = 0;
    bool m_sawBof = false;
    quint16 m_lastRecord = 0;
    bool m_cutNoted = false;
    int m_lastRow = 0;
    int m_lastCol = 0;
    int m_lastAttr = 0;
    bool m_haveCell = false;
    bool m_cancel = false;
    // Last: a count still going on is waited for before the stream's bytes may go.
    std::future<int> m_counting;
};

void TXBiff::LoadFromFile(const QString& fileName)
{
    m_fileName = fileName;
    m_damaged = false;
    m_foundWorkbook = false;
    CompoundDocument document(fileName);
    if (!document.fileReadable())
        throw XBiffError(XBiffError::openFailed());
    if (document.isCompound()) {
        if (const std::optional<CompoundDocument::Stream> stream = document.workbookStream()) {
            const bool containerCut = !stream->complete;
            m_damaged = containerCut;
            run(stream->bytes, Layout::Biff3To7);
            refuseIfNoWorkbook(containerCut);
            return;
        }
    }
    // Without a workbook stream the file's own bytes are read. In a broken container (a cut
    // file mostly) that reads the stream's first sectors, which writers put one after another.
    if (document.isDamaged()) {
        // Past the container's header, whose sector size (9) reads as a BIFF2 BOF.
        const QByteArrayView bytes = document.fileBytes();
        run(bytes.sliced(std::min<qsizetype>(bytes.size(), 512)), Layout::Biff2);
        m_damaged = true;
        return;
    }
    run(document.fileBytes(), Layout::Biff2);
    refuseIfNoWorkbook(false);
}

void TXBiff::refuseIfNoWorkbook(bool containerCut) const
{
    // Text, zeros, an empty file, an empty workbook stream or one cut inside its first record:
    // nothing of a workbook was there. A container that was cut is a damaged workbook instead.
    if (!m_foundWorkbook && !containerCut)
        throw XBiffError(XBiffError::openFailed());
}

void TXBiff::LoadFromBytes(QByteArrayView bytes)
{
    m_fileName.clear();
    m_damaged = false;
    m_foundWorkbook = false;
    run(bytes, Layout::Biff2);
}

void TXBiff::run(QByteArrayView bytes, Layout layout)
{
    Read read(*this, bytes, layout);
    read.run();
}
