#include "PostalTesting.h"

#include "addresslist/AddressGrid.h"
#include "addresslist/HeaderColumns.h"
#include "postal/AddressCheck.h"
#include "postal/AddressNumber.h"
#include "postal/AddressText.h"

#include <QTemporaryFile>

#include <cstring>

using Status = AddressMatch::Status;

// The check of a whole list through the real table.
class tst_AddressCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { REQUIRE_POSTAL_DATA(); }
    void list();
    void lookups();
    void kanjiNumbers_data();
    void kanjiNumbers();
    void damagedTable_data();
    void damagedTable();
};

namespace {
struct Line
{
    QString name, postal, address1, address2;
    Status expected; // Match: not reported
};
} // namespace

void tst_AddressCheck::list()
{
    const QList<Line> lines = {
        {u"正しい"_qs, u"100-0013"_qs, u"東京都千代田区霞が関1-3-2"_qs, QString(), Status::Match},
        {u"別の町"_qs, u"100-0014"_qs, u"東京都千代田区霞が関1-3-2"_qs, QString(),
         Status::Mismatch},
        {u"ない番号"_qs, u"100-0099"_qs, u"東京都千代田区霞が関1-3-2"_qs, QString(),
         Status::Unknown},
        {u"番号なし"_qs, QString(), u"東京都千代田区霞が関1-3-2"_qs, QString(), Status::Missing},
        {u"全角"_qs, u"１００－００１３"_qs, u"東京都千代田区霞ケ関一丁目"_qs, QString(),
         Status::Match},
        {u"〒つき"_qs, u"〒100-0013"_qs, u"千代田区霞が関"_qs, u"1-3-2"_qs, Status::Match},
        {u"形が違う"_qs, u"100-00133"_qs, u"東京都千代田区霞が関1-3-2"_qs, QString(),
         Status::Unknown},
        {u"都道府県なし"_qs, u"2630023"_qs, u"千葉市稲毛区緑町3丁目30-8"_qs, QString(),
         Status::Match},
        {u"ヶ"_qs, u"273-0102"_qs, u"千葉県鎌ヶ谷市右京塚 東3丁目-20-5"_qs, QString(),
         Status::Match},
        {u"町域だけ"_qs, u"100-0013"_qs, u"霞が関1-3-2"_qs, QString(), Status::Mismatch},
        {u"数字の条"_qs, u"064-0804"_qs, u"札幌市中央区南4条西29丁目"_qs, QString(), Status::Match},
        {u"大字"_qs, u"350-1106"_qs, u"埼玉県川越市大字小室22-1"_qs, QString(), Status::Match},
        {u"郡なし"_qs, u"370-3501"_qs, u"群馬県榛東村長岡1"_qs, QString(), Status::Match},
        {u"郡あり"_qs, u"370-3501"_qs, u"群馬県北群馬郡榛東村長岡1"_qs, QString(), Status::Match},
        {u"代表番号の町"_qs, u"100-0400"_qs, u"東京都新島村字御子ノ花1-2-3"_qs, QString(),
         Status::Match},
        {u"番号のある町に代表番号"_qs, u"100-0400"_qs, u"東京都新島村本村1-2-3"_qs, QString(),
         Status::Mismatch},
        {u"京都の通り名"_qs, u"604-0925"_qs, u"京都市中京区寺町通御池上る上本能寺前町488"_qs,
         QString(), Status::Match},
        {u"通り名の後に別の町"_qs, u"604-0925"_qs, u"京都市中京区寺町通2上本能寺前町"_qs, QString(),
         Status::Mismatch},
        {u"別の市"_qs, u"263-0023"_qs, u"千葉市花見川区緑町3"_qs, QString(), Status::Mismatch},
        {u"ビルの番号"_qs, u"100-6090"_qs, u"東京都千代田区霞が関3-2-5 霞が関ビル"_qs, QString(),
         Status::Match},
        {QString(), u"1"_qs, u"名前のない行は見ない"_qs, QString(), Status::Match},
    };
    AddressGrid grid;
    grid.setRowCount(int(lines.size()) + 3);
    grid.setColumnCount(12);
    QStringList header{QString()};
    for (QStringView name : HeaderColumns::HeaderNames)
        header << name.toString();
    grid.setRowCells(0, header);
    for (int i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        grid.setRowCells(i + 1, {QString::number(i + 1), l.name, l.postal, l.address1, l.address2,
                                 QString(), QString(), QString(), QString(), QString(), QString(),
                                 QString()});
    }
    HeaderColumns columns;
    QVERIFY(columns.FindHeaderColumns(grid, nullptr));

    QList<int> percents;
    const QList<AddressCheck::Finding> findings = AddressCheck::run(
        PostalIndex::shared(), grid, columns, 1, -1, [&](int p) { percents << p; });
    QStringList got, want;
    for (const AddressCheck::Finding& f : findings) {
        got << u"%1 %2"_qs.arg(f.row).arg(AddressMatch::statusWord(f.status));
        QVERIFY(!f.message.isEmpty());
    }
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].expected != Status::Match)
            want << u"%1 %2"_qs.arg(i + 1).arg(AddressMatch::statusWord(lines[i].expected));
    }
    QCOMPARE(got, want);
    QCOMPARE(percents.last(), 100);
    // The reason names the place that the code belongs to.
    QVERIFY2(findings[0].message.contains(u"永田町"_qs), qPrintable(findings[0].message));
    QCOMPARE(AddressCheck::summary(findings.size()),
             u"%1 件の住所を確認してください"_qs.arg(findings.size()));
}

void tst_AddressCheck::lookups()
{
    const PostalIndex& index = PostalIndex::shared();
    const PostalIndex::Towns towns = index.towns(1000013);
    QCOMPARE(towns.size(), 1);
    QCOMPARE(towns[0].fullName(), u"東京都千代田区霞が関"_qs);
    QVERIFY(index.isRepresentative(1000000));
    QVERIFY(!index.isRepresentative(1000013));
    QVERIFY(!index.contains(1000099));
    // One code, two cities (a code shared across a boundary) or several towns.
    bool severalTowns = false;
    for (quint32 code : {1900100u, 2580000u})
        severalTowns = severalTowns || index.towns(code).size() > 1;
    QVERIFY(severalTowns);
    // The damaged file is refused, not read past its end.
    PostalIndex broken;
    QTemporaryFile file;
    QVERIFY(file.open());
    QFile whole(PostalIndex::findDataFile());
    QVERIFY(whole.open(QIODevice::ReadOnly));
    file.write(whole.read(whole.size() / 2));
    file.close();
    QVERIFY(!broken.load(file.fileName()));
    QVERIFY(!broken.errorText().isEmpty());
    QVERIFY(broken.towns(1000013).isEmpty());
}

void tst_AddressCheck::kanjiNumbers_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<qint64>("value"); // -1: not a number
    QTest::newRow("十一") << u"十一"_qs << qint64(11);
    QTest::newRow("二十一") << u"二十一"_qs << qint64(21);
    QTest::newRow("十") << u"十"_qs << qint64(10);
    QTest::newRow("百一") << u"百一"_qs << qint64(101);
    QTest::newRow("三百五") << u"三百五"_qs << qint64(305);
    QTest::newRow("千二百") << u"千二百"_qs << qint64(1200);
    QTest::newRow("digit by digit") << u"二三"_qs << qint64(23);
    QTest::newRow("with 〇") << u"一〇"_qs << qint64(10);
    QTest::newRow("old forms") << u"弐拾参"_qs << qint64(23);
    QTest::newRow("十百 is no number") << u"十百"_qs << qint64(-1);
    QTest::newRow("digits then 十") << u"二三十"_qs << qint64(-1);
}

void tst_AddressCheck::kanjiNumbers()
{
    QFETCH(QString, run);
    QFETCH(qint64, value);
    QCOMPARE(AddressText::kanjiNumber(run).value_or(-1), value);
}

// Tables made from the real one: a damaged table is refused, never loaded as an empty one
// in which every code is unknown.
void tst_AddressCheck::damagedTable_data()
{
    namespace F = PostalTableFormat;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");
    QFile file(PostalIndex::findDataFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray real = file.readAll();
    const qsizetype head = sizeof(F::Header);
    F::Header header;
    std::memcpy(&header, real.constData(), sizeof header);

    QTest::newRow("the table as built") << real << true;
    QTest::newRow("header, then zeros")
        << real.first(head) + QByteArray(real.size() - head, '\0') << false;
    QByteArray emptyHeader(head, '\0');
    std::memcpy(emptyHeader.data(), F::Magic, sizeof F::Magic);
    QTest::newRow("header counting nothing") << emptyHeader << false;
    QTest::newRow("cut in half") << real.first(real.size() / 2) << false;
    QTest::newRow("zeros added") << real + QByteArray(4096, '\0') << false;
    QByteArray swapped = real;
    const qsizetype codes = head + qsizetype(header.prefectureCount) * sizeof(F::Prefecture) +
                            qsizetype(header.cityCount) * sizeof(F::City);
    const qsizetype last = codes + 4 * qsizetype(header.entryCount - 1);
    for (int k = 0; k < 4; ++k)
        std::swap(swapped[codes + k], swapped[last + k]);
    QTest::newRow("codes out of order") << swapped << false;
}

void tst_AddressCheck::damagedTable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(bytes);
    file.close();
    PostalIndex index;
    QCOMPARE(index.load(file.fileName()), loads);
    QCOMPARE(index.isLoaded(), loads);
    if (!loads) {
        QVERIFY2(index.errorText().startsWith(u"郵便番号データが壊れています"),
                 qPrintable(index.errorText()));
        // address-number then says why, instead of dropping the address number.
        const AddressNumber::Result r =
            AddressNumber::extract(index, u"1000013"_qs, u"東京都千代田区霞が関1-3-2"_qs);
        QVERIFY(!r.ok);
        QCOMPARE(r.reason, index.errorText());
    }
}

QTEST_GUILESS_MAIN(tst_AddressCheck)
#include "tst_AddressCheck.moc"
