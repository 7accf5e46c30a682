// The Receiver page's satellite table: sorted by a header's column with
// numbers as numbers, stale satellites greyed, health as the receiver tells
// it, and the user's selection kept through updates that add, drop and
// reorder rows.

#include "window/blocks/SatelliteTableModel.h"

#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QtTest>

using protocol::Constellation;
using protocol::TrackedSatellite;
using Model = TSatelliteTableModel;

namespace {
TrackedSatellite Satellite(Constellation system, int number, std::optional<int> elevation, int cn0,
                           bool used, std::optional<bool> healthy, bool stale = false) {
    TrackedSatellite satellite;
    satellite.System = system;
    satellite.Number = number;
    satellite.ElevationDeg = elevation;
    satellite.AzimuthDeg = elevation ? std::optional<int>(100 + number) : std::nullopt;
    satellite.Cn0DbHz = cn0;
    satellite.Used = used;
    satellite.Healthy = healthy;
    satellite.Stale = stale;
    return satellite;
}

const std::vector<TrackedSatellite> kSky = {
    Satellite(Constellation::Gps, 5, 45, 44, true, true),
    Satellite(Constellation::Gps, 12, 8, 9, false, std::nullopt, true),
    Satellite(Constellation::Glonass, 3, 70, 38, true, false),
    Satellite(Constellation::Galileo, 30, std::nullopt, 21, false, true),
};

// A column's texts from the top of the view down.
QStringList Column(const QAbstractItemModel& view, int column) {
    QStringList texts;
    for (int row = 0; row < view.rowCount(); ++row)
        texts << view.index(row, column).data().toString();
    return texts;
}
} // namespace

class TestSatelliteTable : public QObject {
    Q_OBJECT
private slots:
    void columnsSortAsNumbers_data();
    void columnsSortAsNumbers();
    void staleRowsGreyedAndHealthAsTold();
    void updatesKeepTheSelectedSatellite();
};

void TestSatelliteTable::columnsSortAsNumbers_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("number") << int(Model::colNumber) << Qt::AscendingOrder
                            << QStringList{"3", "5", "12", "30"};
    QTest::newRow("elevation, none last")
        << int(Model::colElevation) << Qt::DescendingOrder << QStringList{"3", "5", "12", "30"};
    QTest::newRow("C/N0") << int(Model::colCn0) << Qt::AscendingOrder
                          << QStringList{"12", "30", "3", "5"};
    QTest::newRow("constellation as reported, then number")
        << int(Model::colConstellation) << Qt::AscendingOrder << QStringList{"5", "12", "30", "3"};
}

void TestSatelliteTable::columnsSortAsNumbers() {
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, numbers);
    Model model;
    model.SetSatellites(kSky);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setSortRole(Model::SortRole);
    sorted.sort(column, order);
    QCOMPARE(Column(sorted, Model::colNumber), numbers);
}

void TestSatelliteTable::staleRowsGreyedAndHealthAsTold() {
    Model model;
    model.SetSatellites(kSky);
    QCOMPARE(Column(model, Model::colConstellation),
             QStringList({"GPS", "GPS", "Galileo", "GLONASS"}));
    QCOMPARE(Column(model, Model::colHealth), QStringList({"healthy", "", "healthy", "unhealthy"}));
    QCOMPARE(Column(model, Model::colUsed), QStringList({"yes", "no", "no", "yes"}));
    QCOMPARE(Column(model, Model::colElevation), QStringList({"45", "8", "", "70"}));
    const QColor grey = QGuiApplication::palette().color(QPalette::Dark);
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < Model::ColumnCount; ++column) {
            const QVariant foreground = model.index(row, column).data(Qt::ForegroundRole);
            if (model.At(row).Stale)
                QCOMPARE(foreground.value<QColor>(), grey);
            else
                QVERIFY(!foreground.isValid());
        }
}

void TestSatelliteTable::updatesKeepTheSelectedSatellite() {
    Model model;
    model.SetSatellites(kSky);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setSortRole(Model::SortRole);
    QTableView view;
    view.setModel(&sorted);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSortingEnabled(true);
    view.sortByColumn(Model::colCn0, Qt::DescendingOrder);
    const auto selectedNumber = [&] {
        const QModelIndexList rows = view.selectionModel()->selectedRows();
        return rows.size() == 1 ? model.At(sorted.mapToSource(rows[0]).row()).Number : -1;
    };
    view.selectRow(3); // GPS 12, the weakest
    QCOMPARE(selectedNumber(), 12);

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetSatellites(kSky); // the same again: nothing to tell the view
    QCOMPARE(changed.count() + removed.count() + inserted.count(), 0);

    std::vector<TrackedSatellite> next = kSky;
    next[1].Cn0DbHz = 50; // GPS 12 the strongest now
    next[1].Stale = false;
    next.erase(next.begin() + 2);                                           // GLONASS 3 set
    next.push_back(Satellite(Constellation::BeiDou, 7, 20, 30, false, {})); // BeiDou 7 rose
    model.SetSatellites(next);
    QCOMPARE(selectedNumber(), 12);
    QCOMPARE(view.selectionModel()->selectedRows()[0].row(), 0);
    QCOMPARE(Column(sorted, Model::colNumber), QStringList({"12", "5", "7", "30"}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(reset.count(), 0);
}

QTEST_MAIN(TestSatelliteTable)
#include "test_satellite_table.moc"
