// The window in its first minutes of use: panes in a fixed-pitch font that
// take no typing, captions that fit at the smallest size the window allows,
// the port's state on the Open and Close buttons, in status panel 1 and in
// the title, and a port log wide enough for a whole echo line.
//
// With ZEPO_SCREENSHOT_DIR set, every page is saved there at the default and
// at the minimum size.

#include "protocol/TransmitEcho.h"
#include "protocol/UbxFrame.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/NumEdit.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/UbxProtocolPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace {
// Captions of a page that do not fit their widget, as "name: text".
QStringList ClippedCaptions(QWidget* page) {
    QStringList clipped;
    const auto fits = [](const QWidget* widget, const QString& text, int room) {
        return widget->fontMetrics().horizontalAdvance(text) <= room;
    };
    for (QLabel* label : page->findChildren<QLabel*>())
        if (label->isVisible() && !fits(label, label->text(), label->contentsRect().width()))
            clipped << label->objectName() + ": " + label->text();
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
        // Check boxes and radio buttons give their indicator its room.
        const int indicator = qobject_cast<QPushButton*>(button) ? 8 : 22;
        if (button->isVisible() && !button->text().isEmpty() &&
            !fits(button, button->text(), button->width() - indicator))
            clipped << button->objectName() + ": " + button->text();
    }
    for (QGroupBox* box : page->findChildren<QGroupBox*>())
        if (box->isVisible() && !fits(box, box->title(), box->width() - 12))
            clipped << box->objectName() + ": " + box->title();
    return clipped;
}

void SaveScreenshot(QWidget* window, const QString& name) {
    const QString directory = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR");
    if (!directory.isEmpty())
        window->grab().save(directory + '/' + name + ".png");
}
} // namespace

class WindowFitTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    std::unique_ptr<TMainForm> form_;

private slots:
    void init() {
        form_ = ShowFreshWindow();
        QVERIFY(form_);
    }
    void cleanup() { form_.reset(); }

    void panesShowFixedPitchAndTakeNoTyping() {
        const QList<QPlainTextEdit*> panes = {Named<QPlainTextEdit>(*form_, "moData"),
                                              Named<QPlainTextEdit>(*form_, "moComPort"),
                                              Named<QPlainTextEdit>(*form_, "moNMEAWatch"),
                                              Named<QPlainTextEdit>(*form_, "moUBXWatch")};
        for (QPlainTextEdit* pane : panes) {
            QVERIFY2(QFontInfo(pane->font()).fixedPitch(), qPrintable(pane->objectName()));
            AppendLine(pane, "$GPGGA,1");
            ShowPageOf(*form_, pane);
            pane->setFocus();
            pane->selectAll();
            QTest::keyClicks(pane, "zz");
            QVERIFY2(!pane->toPlainText().contains("zz"), qPrintable(pane->objectName()));
            QVERIFY(pane->textCursor().hasSelection()); // selecting and copying still work
        }
    }

    void everyCaptionFitsAtTheMinimumSize() {
        for (const QSize size : {QSize(917, 602), QSize(0, 0)}) {
            form_->resize(size.expandedTo(form_->minimumSize()));
            auto* pages = Named<QTabWidget>(*form_, "pcZEPOMonitor");
            for (int index = 0; index < pages->count(); ++index) {
                pages->setCurrentIndex(index);
                QWidget* page = pages->currentWidget();
                QTest::qWait(20);
                // Pages built when first shown are named by their tab.
                SaveScreenshot(form_.get(), pages->tabText(index).remove(' ') +
                                                (size.isEmpty() ? "-minimum" : "-default"));
                const QStringList clipped = ClippedCaptions(page);
                QVERIFY2(clipped.isEmpty(),
                         qPrintable(QString("%1x%2: ").arg(form_->width()).arg(form_->height()) +
                                    clipped.join(", ")));
            }
        }
    }

    void portStateShowsOnButtonsPanelAndTitle() {
        PtyPeer peer;
        peer.announce("COM7");
        TComPortPage* page = Named<TComPortPage>(*form_, "tabComPort");
        const auto state = [&] {
            return QStringList{Named<QPushButton>(*page, "btnOpen")->isEnabled() ? "Open" : "-",
                               Named<QPushButton>(*page, "btnClose")->isEnabled() ? "Close" : "-",
                               form_->StatusPanel(1)->text(), form_->windowTitle()};
        };
        const QString closed = "ZEPO ublox monitor";
        QCOMPARE(state(), (QStringList{"Open", "-", "", closed}));

        ModalBoxCatcher boxes;
        Click(Named<QPushButton>(*page, "btnOpen")); // COM13 is not there
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(state(), (QStringList{"Open", "-", "", closed}));

        page->RefreshPortList();
        QVERIFY(ClickListItem(Named<QListWidget>(*page, "lstPorts"), "COM7"));
        Click(Named<QPushButton>(*page, "btnOpen"));
        QCOMPARE(state(), (QStringList{"-", "Close", "COM7", closed + " - COM7 open"}));
        page->PortConnected(MakeCommPort(7)); // nothing else may switch them back
        PtyPeer other;
        other.announce("COM8");
        page->RefreshPortList();
        QVERIFY(
            ClickListItem(Named<QListWidget>(*page, "lstPorts"), "COM8")); // Open now moves to COM8
        QCOMPARE(state(), (QStringList{"Open", "Close", "COM7", closed + " - COM7 open"}));

        Click(Named<QPushButton>(*page, "btnClose"));
        QCOMPARE(state(), (QStringList{"Open", "-", "COM7", closed}));
    }

    void portLogShowsAWholeEchoLineOfATwelveByteFrame() {
        form_->resize(form_->minimumSize());
        QTest::qWait(20);
        QPlainTextEdit* log = Named<QPlainTextEdit>(*form_, "moComPort");
        const QString echo = QString::fromStdString(SendEchoLine(ToByteString(CfgAntSetFrame())));
        QVERIFY(log->fontMetrics().horizontalAdvance(echo) <= log->viewport()->width());
    }
};

QTEST_MAIN(WindowFitTest)
#include "test_window_fit.moc"
