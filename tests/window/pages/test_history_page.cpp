// The History page: received chunks shown as lines and as a hex dump, a
// search that spans chunk boundaries selects the rows of its match, in
// either view and across a change of view, the selection copied as shown
// and exported as the bytes received, and the rows following the history's
// bound.

#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "window/pages/HistoryModel.h"
#include "window/pages/HistoryPage.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>
#include <optional>
#include <stdexcept>

namespace {
// Three chunks; "$GPZDA" and "B5 62 01" each span a boundary between them.
const std::string_view kChunks[] = {"$GPGGA,1*5C\r\n$GP", "ZDA,2\r\n\xB5", "\x62\x01\x02 tail\n"};

QStringList Rows(THistoryModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, THistoryModel::colText).data().toString();
    return rows;
}

QList<int> SelectedRows(const THistoryPage& page) {
    QList<int> rows;
    for (const QModelIndex& index :
         Named<QTableView>(page, "tvHistory")->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}
} // namespace

class TestHistoryPage : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    std::optional<SessionHistory> history_; // a new one for each test
    std::unique_ptr<THistoryPage> page_;

    // A chunk as the window keeps it; it shows at the page's next refresh.
    void take(std::string_view chunk) {
        history_->Append(QDateTime::currentMSecsSinceEpoch(), chunk);
    }

private slots:
    void init() {
        history_.emplace();
        page_ = std::make_unique<THistoryPage>(nullptr, *history_);
        for (const std::string_view chunk : kChunks)
            take(chunk);
        page_->Refresh();
    }
    void cleanup() { page_.reset(); }

    void showsLinesAndTheHexDumpOfKnownBytes() {
        THistoryModel& model = page_->Model();
        QCOMPARE(Rows(model), QStringList({"$GPGGA,1*5C", "$GPZDA,2", ".b.. tail"}));
        take("$GPTXT");
        page_->Refresh();
        take(",01\r\n");
        page_->Refresh();
        // The unfinished line grew in place.
        QCOMPARE(Rows(model).last(), QString("$GPTXT,01"));

        Named<QComboBox>(*page_, "cbHistoryView")->setCurrentIndex(1);
        QCOMPARE(Rows(model),
                 QStringList({"00000000  24 47 50 47 47 41 2C 31 2A 35 43 0D 0A 24 47 50  "
                              "$GPGGA,1*5C..$GP",
                              "00000010  5A 44 41 2C 32 0D 0A B5 62 01 02 20 74 61 69 6C  "
                              "ZDA,2...b.. tail",
                              "00000020  0A 24 47 50 54 58 54 2C 30 31 0D 0A              "
                              ".$GPTXT,01.."}));
        QVERIFY(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d\d\d$)")
                    .match(model.index(0, THistoryModel::colTime).data().toString())
                    .hasMatch());
    }

    void searchSelectsTheMatchAcrossChunks_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QList<int>>("firstRows");
        QTest::addColumn<QList<int>>("otherViewRows"); // the first match in the other view
        QTest::addColumn<QList<int>>("secondRows");
        const int lines = 0, hex = 1;
        QTest::newRow("text over a boundary") << lines << int(THistoryPage::skText) << "$GPZDA"
                                              << QList<int>{1} << QList<int>{0, 1} << QList<int>{};
        QTest::newRow("text, next match") << lines << int(THistoryPage::skText) << "$GP"
                                          << QList<int>{0} << QList<int>{0} << QList<int>{1};
        QTest::newRow("hex bytes over a boundary")
            << lines << int(THistoryPage::skHexBytes) << "b5 62 01" << QList<int>{2}
            << QList<int>{1} << QList<int>{};
        QTest::newRow("regular expression")
            << lines << int(THistoryPage::skRegularExpression) << R"(ZDA,\d)" << QList<int>{1}
            << QList<int>{1} << QList<int>{};
        QTest::newRow("hex dump rows of a match over two rows")
            << hex << int(THistoryPage::skText) << "5C\r\n$GPZ" << QList<int>{0, 1}
            << QList<int>{0, 1} << QList<int>{};
        QTest::newRow("not found") << lines << int(THistoryPage::skText) << "$GPGSV" << QList<int>{}
                                   << QList<int>{} << QList<int>{};
    }
    void searchSelectsTheMatchAcrossChunks() {
        QFETCH(int, view);
        QFETCH(int, kind);
        QFETCH(QString, search);
        QFETCH(QList<int>, firstRows);
        QFETCH(QList<int>, otherViewRows);
        QFETCH(QList<int>, secondRows);
        auto* views = Named<QComboBox>(*page_, "cbHistoryView");
        views->setCurrentIndex(view);
        Named<QComboBox>(*page_, "cbHistorySearchKind")->setCurrentIndex(kind);
        Named<QLineEdit>(*page_, "edHistorySearch")->setText(search);
        QCOMPARE(page_->FindNext(), !firstRows.isEmpty());
        QCOMPARE(SelectedRows(*page_), firstRows);
        if (firstRows.isEmpty())
            QCOMPARE(Named<QLabel>(*page_, "lblHistory")->text(), QString("Not found"));
        else if (search == "$GPZDA")
            QVERIFY(Named<QLabel>(*page_, "lblHistory")
                        ->text()
                        .startsWith("Found at offset 0000000D, received "));
        views->setCurrentIndex(1 - view);
        QCOMPARE(SelectedRows(*page_), otherViewRows);
        views->setCurrentIndex(view);
        QCOMPARE(SelectedRows(*page_), firstRows);
        QCOMPARE(page_->FindNext(), !secondRows.isEmpty());
        if (!secondRows.isEmpty())
            QCOMPARE(SelectedRows(*page_), secondRows);
    }

    void malformedSearchesAreRefused() {
        for (const auto& [kind, search] :
             {std::pair(THistoryPage::skRegularExpression, "(ZDA"),
              std::pair(THistoryPage::skHexBytes, "B5 6"), std::pair(THistoryPage::skText, "")}) {
            Named<QComboBox>(*page_, "cbHistorySearchKind")->setCurrentIndex(kind);
            Named<QLineEdit>(*page_, "edHistorySearch")->setText(search);
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, page_->FindNext());
        }
    }

    void exportWritesTheSelectedBytesAndCopyTheRowsShown() {
        const QString path = QString::fromStdString(scratch_.root()) + "/selection.ubx";
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, page_->ExportSelection(path));
        Named<QTableView>(*page_, "tvHistory")
            ->selectionModel()
            ->select(QItemSelection(page_->Model().index(1, 0), page_->Model().index(2, 0)),
                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        page_->ExportSelection(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("$GPZDA,2\r\n\xB5\x62\x01\x02 tail\n"));
        const QStringList copied = page_->SelectedText().split('\n');
        QCOMPARE(copied.size(), 3);
        QVERIFY(copied[0].endsWith("  $GPZDA,2"));
        QVERIFY(copied[1].endsWith("  .b.. tail"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 page_->ExportSelection(path + "/not-a-folder/x.ubx"));
    }

    void rowsFollowTheBound() {
        SessionHistory history(1 << 20, 10);
        THistoryModel model(history);
        QAbstractItemModelTester tester(&model);
        for (int index = 0; index < 25; ++index) {
            history.Append(index, "line " + std::to_string(index) + "\n");
            model.Commit();
        }
        QVERIFY(model.rowCount() <= 10);
        QCOMPARE(Rows(model).last(), QString("line 24"));
        QVERIFY(!Rows(model).contains("line 3"));
        history.Clear();
        model.Commit();
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_MAIN(TestHistoryPage)
#include "test_history_page.moc"
