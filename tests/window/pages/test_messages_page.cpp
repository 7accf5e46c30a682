// The Messages page's list while messages arrive: a row the user picks stays
// selected and in view, the list following the newest row again once the
// user presses End or scrolls to the end; a picked message dropped from the
// top of the bounded list leaves nothing selected rather than its neighbour.

#include "tests/support/NamedControl.h"
#include "window/pages/MessageText.h"
#include "window/pages/MessagesPage.h"

#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

namespace {
// Messages numbered by their receive time, shown as the redraw tick shows them.
struct TFeed {
    TMessagesPage& Page;
    int Next = 0;
    void Add(int count) {
        for (int i = 0; i < count; ++i)
            Page.Messages().Add(Next++, {protocol::MessageKind::Nmea, "$GPGGA*00\r\n"}, "GPGGA");
        Page.Refresh({});
    }
};

QTableView* List(const TMessagesPage& page) {
    return Named<QTableView>(page, "tvMessages");
}

// The number of the message in the view's current row (no filter: the
// view's rows are the list's); -1 when none.
int Current(TMessagesPage& page) {
    const QModelIndex current = List(page)->currentIndex();
    return current.isValid() ? int(page.Messages().At(current.row()).ReceivedMs) : -1;
}

bool InView(const QTableView* view, const QModelIndex& index) {
    return index.isValid() && view->viewport()->rect().contains(view->visualRect(index));
}

void ClickRow(QTableView* view, int row) {
    const QRect cell = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}
} // namespace

class TestMessagesPage : public QObject {
    Q_OBJECT
private slots:
    void pickedRowStaysUntilEnd();
    void pickedMessageDroppedLeavesNothingSelected();
};

void TestMessagesPage::pickedRowStaysUntilEnd() {
    TMessageListModel messages(&MessageSummary);
    TMessagesPage page(nullptr, messages);
    page.resize(700, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTableView* view = List(page);
    TFeed feed{page};
    feed.Add(100);
    QScrollBar* scroll = view->verticalScrollBar();
    QCOMPARE(scroll->value(), scroll->maximum()); // following the newest

    const int last = view->model()->rowCount() - 1;
    ClickRow(view, last - 2);
    QCOMPARE(Current(page), 97);
    for (int tick = 0; tick < 5; ++tick)
        feed.Add(100);
    QCOMPARE(Current(page), 97);
    QVERIFY(view->selectionModel()->isRowSelected(view->currentIndex().row(), {}));
    QVERIFY(InView(view, view->currentIndex()));

    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(Current(page), 599);
    feed.Add(100);
    QVERIFY(InView(view, view->model()->index(699, 0)));

    // Scrolled up the list stays; scrolled to the end it follows again.
    scroll->triggerAction(QAbstractSlider::SliderToMinimum);
    feed.Add(10);
    QVERIFY(InView(view, view->model()->index(0, 0)));
    scroll->triggerAction(QAbstractSlider::SliderToMaximum);
    feed.Add(10);
    QVERIFY(InView(view, view->model()->index(719, 0)));
}

void TestMessagesPage::pickedMessageDroppedLeavesNothingSelected() {
    TMessageListModel messages(&MessageSummary, 100);
    TMessagesPage page(nullptr, messages);
    page.resize(700, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTableView* view = List(page);
    TFeed feed{page};
    feed.Add(100);
    ClickRow(view, 95);
    QCOMPARE(Current(page), 95);
    QVERIFY(Named<QTableWidget>(page, "tvMessageFields")->rowCount() > 0);

    feed.Add(60); // rows 0..59 dropped: the picked message moves up, still in view
    QCOMPARE(view->currentIndex().row(), 35);
    QCOMPARE(Current(page), 95);
    QVERIFY(InView(view, view->currentIndex()));

    feed.Add(60); // now the picked message itself is dropped
    QVERIFY(!view->currentIndex().isValid());
    QVERIFY(view->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(Named<QTableWidget>(page, "tvMessageFields")->rowCount(), 0);
}

QTEST_MAIN(TestMessagesPage)
#include "test_messages_page.moc"
