#include "CiSkip.h"
#include "compose/BarcodePattern.h"
#include "compose/CustomerBarcode.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <set>

// The bars are checked against zint, an independent encoder of the same barcode.
class tst_BarcodePattern : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matchesZint_data();
    void matchesZint();
    void tableUsesEverySymbol();
    void nonSymbolsHaveNoBars();
};

namespace {

struct Sample
{
    const char* name;
    const char* data;     // what we encode
    const char* zintData; // the same barcode for zint, which refuses data longer than 20
};

const Sample Samples[] = {
    {"twelve characters, padded", "10000133-2-1", "10000133-2-1"},
    {"Kasumigaseki 1-3-2-503", "10000131-3-2-503", "10000131-3-2-503"},
    {"Hitachi 6-7-14-2", "31700556-7-14-2", "31700556-7-14-2"},
    {"Setagaya 3-16-4-205", "15400233-16-4-205", "15400233-16-4-205"},
    {"letters A and B", "0600906AB", "0600906AB"},
    {"large-volume office", "1008792", "1008792"},
    {"PO box", "9808691215", "9808691215"},
    {"cut at 20 after a hyphen", "064080429-1524-23-2-501", "064080429-1524-23-2-"},
    {"exactly 20 digits", "12345678901234567890", "12345678901234567890"},
    {"letter inside a number", "2730103-3-20-5B604", "2730103-3-20-5B604"},
    {"letters A to J (CC1)", "ABCDEFGHIJ", "ABCDEFGHIJ"},
    {"letters K to T (CC2)", "KLMNOPQRST", "KLMNOPQRST"},
    {"letters U to Z (CC3)", "UVWXYZ1234", "UVWXYZ1234"},
    {"one letter, check CC5", "Z", "Z"},
    {"hyphen only", "-", "-"},
    {"check 0", "0", "0"},
    {"check hyphen", "99999999999999999999", "99999999999999999999"},
    {"check CC8", "1", "1"},
    {"check CC7", "2", "2"},
    {"check CC6", "1000014-1-2", "1000014-1-2"},
    {"check CC4", "1000014-1-4", "1000014-1-4"},
};

// zint --dump prints three rows of hex (top, middle, bottom), two modules per bar: the bar
// and the gap after it. The middle row holds every bar; the outer rows tell its kind.
QString zintBars(const QString& program, const QString& data, QString* error)
{
    QProcess zint;
    zint.start(program, {QStringLiteral("-b"), QStringLiteral("JAPANPOST"),
                         QStringLiteral("--dump"), QStringLiteral("-d"), data});
    if (!zint.waitForFinished(30000) || zint.exitCode() != 0) {
        *error = QString::fromLocal8Bit(zint.readAllStandardError());
        return {};
    }
    const QList<QByteArray> lines = zint.readAllStandardOutput().trimmed().split('\n');
    if (lines.size() != 3) {
        *error = QStringLiteral("expected three rows");
        return {};
    }
    QList<QList<bool>> rows;
    for (const QByteArray& line : lines) {
        QList<bool> bits;
        for (const QByteArray& hex : line.simplified().split(' ')) {
            const int byte = hex.toInt(nullptr, 16);
            for (int bit = 7; bit >= 0; --bit)
                bits.append(byte & (1 << bit));
        }
        rows.append(bits);
    }
    QString bars;
    for (qsizetype i = 0; i < rows[1].size(); ++i) {
        if (!rows[1][i])
            continue;
        const bool top = rows[0][i];
        const bool bottom = rows[2][i];
        bars += top && bottom ? u'F' : top ? u'A' : bottom ? u'D' : u'T';
    }
    return bars;
}

} // namespace

void tst_BarcodePattern::matchesZint_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("zintData");
    for (const Sample& s : Samples)
        QTest::newRow(s.name) << QString::fromLatin1(s.data) << QString::fromLatin1(s.zintData);
}

void tst_BarcodePattern::matchesZint()
{
    QFETCH(QString, data);
    QFETCH(QString, zintData);
    const QString zint = QStandardPaths::findExecutable(QStringLiteral("zint"));
    if (zint.isEmpty())
        SKIP_OR_FAIL_UNDER_CI("zint is not installed (scripts/install-deps installs it)");

    QString error;
    const QString expected = zintBars(zint, zintData, &error);
    QVERIFY2(!expected.isEmpty(), qPrintable(error));
    const QString bars = BarcodePattern::bars(CustomerBarcode(data));
    QCOMPARE(bars.size(), 67);
    QCOMPARE(bars, expected);
}

// The comparison with zint only proves the symbols that the samples contain.
void tst_BarcodePattern::tableUsesEverySymbol()
{
    std::set<QChar> seen;
    for (const Sample& s : Samples) {
        for (const QChar c : CustomerBarcode(QString::fromLatin1(s.data)))
            seen.insert(c);
    }
    for (const QChar c : QStringLiteral("()0123456789-ABCDEFGH"))
        QVERIFY2(seen.count(c) == 1, qPrintable(QStringLiteral("no sample contains ") + c));
}

void tst_BarcodePattern::nonSymbolsHaveNoBars()
{
    for (const QChar c : QStringLiteral("aIZ ?*\u3000"))
        QVERIFY2(BarcodePattern::symbolBars(c).isEmpty(), qPrintable(QString(c)));
    QCOMPARE(BarcodePattern::bars(u"(1a2)"), BarcodePattern::bars(u"(12)"));
}

QTEST_APPLESS_MAIN(tst_BarcodePattern)
#include "tst_BarcodePattern.moc"
