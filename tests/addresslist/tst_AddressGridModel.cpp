#include "addresslist/AddressGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class tst_AddressGridModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void indicesAreTheGrids();
    void headersComeFromHeaderRowAndFixedColumn();
    void changeSignals_data();
    void changeSignals();
    void batchedChangesResetOnce();
    void passesModelTester();
};

void tst_AddressGridModel::indicesAreTheGrids()
{
    AddressGrid grid;
    AddressGridModel model(&grid);
    grid.setCell(3, 7, QStringLiteral("東京都"));
    QCOMPARE(model.index(7, 3).data().toString(), QStringLiteral("東京都"));
    grid.setColumnCount(5);
    grid.setRowCount(40);
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(model.rowCount(), 40);
    grid.setColumnWidth(2, 120);
    QCOMPARE(model.columnWidth(2), 120);
    QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::SizeHintRole).toSize().width(), 120);
}

void tst_AddressGridModel::headersComeFromHeaderRowAndFixedColumn()
{
    AddressGrid grid;
    AddressGridModel model(&grid);
    grid.setRowText(0, QStringLiteral(" ,宛先,住所1"));
    grid.setRowText(12, QStringLiteral("12,山田 太郎"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("宛先"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("住所1"));
    QCOMPARE(model.headerData(12, Qt::Vertical).toString(), QStringLiteral("12"));
    QVERIFY(!model.headerData(AddressGrid::InitialRows, Qt::Vertical).isValid());
    // Neither can be selected, as in the grid they stand for; nothing is edited in place.
    QCOMPARE(model.flags(model.index(0, 3)), Qt::ItemIsEnabled);
    QCOMPARE(model.flags(model.index(3, 0)), Qt::ItemIsEnabled);
    QCOMPARE(model.flags(model.index(1, 1)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

void tst_AddressGridModel::changeSignals_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("wholeRow");
    QTest::addColumn<int>("horizontalHeaderChanges");
    QTest::addColumn<int>("verticalHeaderChanges");
    QTest::newRow("data cell") << 4 << 9 << false << 0 << 0;
    QTest::newRow("header cell") << 4 << 0 << false << 1 << 0;
    QTest::newRow("row number cell") << 0 << 9 << false << 0 << 1;
    QTest::newRow("data row") << -1 << 9 << true << 0 << 1;
    QTest::newRow("header row") << -1 << 0 << true << 1 << 1;
}

void tst_AddressGridModel::changeSignals()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, wholeRow);
    QFETCH(int, horizontalHeaderChanges);
    QFETCH(int, verticalHeaderChanges);

    AddressGrid grid;
    AddressGridModel model(&grid);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    if (wholeRow)
        grid.setRowText(row, QStringLiteral("a,b,c"));
    else
        grid.setCell(column, row, QStringLiteral("x"));

    // A single change must not cost a reset of the whole view.
    QCOMPARE(reset.count(), 0);
    QCOMPARE(data.count(), 1);
    const auto from = data.at(0).at(0).value<QModelIndex>();
    const auto to = data.at(0).at(1).value<QModelIndex>();
    QCOMPARE(from.row(), row);
    QCOMPARE(to.row(), row);
    if (wholeRow) {
        QCOMPARE(from.column(), 0);
        QCOMPARE(to.column(), grid.columnCount() - 1);
    } else {
        QCOMPARE(from.column(), column);
        QCOMPARE(to.column(), column);
    }
    int horizontal = 0;
    int vertical = 0;
    for (const QList<QVariant>& args : headers)
        (args.at(0).value<Qt::Orientation>() == Qt::Horizontal ? horizontal : vertical)++;
    QCOMPARE(horizontal, horizontalHeaderChanges);
    QCOMPARE(vertical, verticalHeaderChanges);
}

void tst_AddressGridModel::batchedChangesResetOnce()
{
    AddressGrid grid;
    AddressGridModel model(&grid);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    grid.beginUpdate();
    for (int r = 0; r < 100; ++r)
        grid.setRowText(r, QString::number(r) + QStringLiteral(",x"));
    grid.setRowCount(100);
    grid.endUpdate();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(data.count(), 0);
    QCOMPARE(model.rowCount(), 100);
    QCOMPARE(model.index(99, 1).data().toString(), QStringLiteral("x"));
}

void tst_AddressGridModel::passesModelTester()
{
    AddressGrid grid;
    AddressGridModel model(&grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setRowText(0, QStringLiteral(" ,宛先"));
    grid.setCell(2, 5, QStringLiteral("x"));
    grid.setColumnCount(40);
    grid.setRowCount(32);
    grid.beginUpdate();
    grid.setRowCount(600);
    grid.setColumnCount(3);
    grid.endUpdate();
    QCOMPARE(model.rowCount(), 600);
    QCOMPARE(model.columnCount(), 3);
}

QTEST_GUILESS_MAIN(tst_AddressGridModel)
#include "tst_AddressGridModel.moc"
