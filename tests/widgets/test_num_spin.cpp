// The spin buttons and the numeric spin: layout, glyphs, stepping to the
// limits, buttons that follow the edit's state, and auto-repeat timed by the
// flash service's clock.

#include "tests/widgets/ManualFlashClock.h"
#include "widgets/NumSpin.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

namespace {

// The receiver page's 0/1 switch.
std::unique_ptr<TNumSpin> ZeroOneSpin(QWidget* parent = nullptr) {
    auto spin = std::make_unique<TNumSpin>(parent);
    spin->resize(29, 22);
    spin->SetMaxValue(1);
    spin->SetOptions(eoLimitMax | eoLimitMin);
    spin->SetMaxLength(1);
    spin->SetInterval(100);
    spin->SetStartDelay(500);
    spin->SetValue(1);
    return spin;
}

// A shown spin on 0..10 at 0, its up button, and the flash clock in hand.
struct SpinToTen {
    ManualFlashClock clock;
    QWidget window;
    std::unique_ptr<TNumSpin> spin = ZeroOneSpin(&window);
    TTimerSpeedBtn* up = spin->Button()->UpButton();

    SpinToTen() {
        spin->SetMaxValue(10);
        spin->SetValue(0);
        window.show();
    }
};

bool HasPixel(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace

class TestNumSpin : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void zeroOneSwitch() {
        QWidget window;
        auto spin = ZeroOneSpin(&window);
        window.show();
        TTimerSpeedBtn* up = spin->Button()->UpButton();
        TTimerSpeedBtn* down = spin->Button()->DownButton();
        QCOMPARE(spin->ValueAsInt(), 1);
        QVERIFY(!up->isEnabled());
        QVERIFY(down->isEnabled());

        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(spin->text(), "0");
        QCOMPARE(spin->ValueAsInt(), 0);
        QVERIFY(!down->isEnabled());
        QVERIFY(up->isEnabled());

        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(spin->ValueAsInt(), 1);
        QVERIFY(!up->isEnabled());
    }

    void disabledButtonShowsGreyGlyph() {
        QWidget window;
        auto spin = ZeroOneSpin(&window);
        window.show();
        const QImage up = spin->Button()->UpButton()->grab().toImage();
        const QImage down = spin->Button()->DownButton()->grab().toImage();
        QVERIFY(HasPixel(up, QColor(128, 128, 128)));
        QVERIFY(!HasPixel(up, Qt::black));
        QVERIFY(HasPixel(down, Qt::black));
        QVERIFY(!HasPixel(down, QColor(128, 128, 0))); // olive is transparent
    }

    void buttonsFollowTheEditState() {
        auto spin = ZeroOneSpin();
        TTimerSpeedBtn* up = spin->Button()->UpButton();
        TTimerSpeedBtn* down = spin->Button()->DownButton();
        spin->SetMaxValue(10);
        spin->SetMaxLength(0);
        QVERIFY(up->isEnabled() && down->isEnabled());

        spin->selectAll();
        QTest::keyClicks(spin.get(), "4x");
        QCOMPARE(spin->State(), esError);
        QVERIFY(!up->isEnabled() && !down->isEnabled());
        QTest::keyClick(spin.get(), Qt::Key_Backspace);
        QCOMPARE(spin->State(), esEditing);
        QVERIFY(!up->isEnabled() && !down->isEnabled());
        QTest::keyClick(spin.get(), Qt::Key_Return);
        QCOMPARE(spin->Value(), 4.0);
        QVERIFY(up->isEnabled() && down->isEnabled());

        spin->setEnabled(false);
        QVERIFY(!up->isEnabled() && !down->isEnabled());
        spin->SetValue(10);
        spin->setEnabled(true);
        QVERIFY(!up->isEnabled());
        QVERIFY(down->isEnabled());
    }

    void holdingRepeatsAfterTheStartDelay() {
        SpinToTen fixture;
        auto& [clock, window, spin, up] = fixture;

        const std::uint64_t pressed = clock.now;
        QTest::mousePress(up, Qt::LeftButton);
        QList<std::uint64_t> steps; // ms after the press at which the value grew
        double last = spin->Value();
        while (clock.now - pressed < 2000) {
            clock.Tick();
            if (spin->Value() != last) {
                QCOMPARE(spin->Value(), last + 1);
                last = spin->Value();
                steps << clock.now - pressed;
            }
        }
        QCOMPARE(steps.size(), 10);
        QVERIFY2(steps.first() >= 500 && steps.first() < 516, QByteArray::number(steps.first()));
        for (int i = 1; i < steps.size(); ++i) {
            const auto gap = steps[i] - steps[i - 1];
            QVERIFY2(gap >= 84 && gap <= 116, QByteArray::number(gap));
        }
        QVERIFY(spin->LimitUp());
        QVERIFY(!up->isEnabled());
        QVERIFY(!IsFlashClient(up)); // a disabled button lets go of the timer
    }

    void shortPressClicksOnceOnRelease() {
        SpinToTen fixture;
        auto& [clock, window, spin, up] = fixture;
        QTest::mousePress(up, Qt::LeftButton);
        QVERIFY(IsFlashClient(up));
        for (int i = 0; i < 20; ++i)
            clock.Tick();
        QCOMPARE(spin->Value(), 0.0);
        QTest::mouseRelease(up, Qt::LeftButton);
        QCOMPARE(spin->Value(), 1.0);
        QVERIFY(!IsFlashClient(up));
        clock.Tick(600);
        QCOMPARE(spin->Value(), 1.0);

        up->SetTimerEnabled(false);
        QTest::mousePress(up, Qt::LeftButton);
        QVERIFY(!IsFlashClient(up));
        QTest::mouseRelease(up, Qt::LeftButton);
        QCOMPARE(spin->Value(), 2.0);
    }

    void releaseElsewhereEndsTheRepeat() {
        SpinToTen fixture;
        auto& [clock, window, spin, up] = fixture;
        QWidget modal; // as an error box that takes the release
        modal.show();
        QTest::mousePress(up, Qt::LeftButton);
        QTest::mouseRelease(&modal, Qt::LeftButton);
        QVERIFY(IsFlashClient(up));
        clock.Tick(600);
        QVERIFY(!IsFlashClient(up));
        QCOMPARE(spin->Value(), 0.0);
    }

    void destroyedWhileHeldLeavesTheTimer() {
        ManualFlashClock clock;
        QWidget window;
        auto spin = ZeroOneSpin(&window);
        spin->SetValue(0);
        window.show();
        QObject* up = spin->Button()->UpButton();
        QTest::mousePress(spin->Button()->UpButton(), Qt::LeftButton);
        QVERIFY(IsFlashClient(up));
        spin.reset();
        QVERIFY(!IsFlashClient(up));
        clock.Tick(1000);
    }

    void intervalBelowFiftyIsIgnored() {
        TNumSpin spin;
        spin.SetInterval(20);
        QCOMPARE(spin.Interval(), 100);
        spin.SetInterval(50);
        QCOMPARE(spin.Interval(), 50);
        QCOMPARE(spin.Button()->DownButton()->Interval(), 50);
        spin.SetStartDelay(300);
        QCOMPARE(spin.Button()->DownButton()->StartDelay(), 300u);
    }

    void spinButtonLayout_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expectedWidth");
        QTest::newRow("narrow") << 10 << 25 << 15;
        QTest::newRow("wide") << 20 << 24 << 20;
        QTest::newRow("odd height") << 15 << 7 << 15;
    }
    void spinButtonLayout() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, expectedWidth);
        TSpinButton spin;
        spin.show();
        spin.SetBounds(3, 4, width, height);
        QCOMPARE(spin.geometry(), QRect(3, 4, expectedWidth, height));
        QCOMPARE(spin.UpButton()->geometry(), QRect(0, 0, expectedWidth, height / 2));
        QCOMPARE(spin.DownButton()->geometry(),
                 QRect(0, height / 2, expectedWidth, height - height / 2));
        spin.resize(5, 30); // any resize keeps the rules
        QCOMPARE(spin.width(), 15);
        QCOMPARE(spin.DownButton()->geometry(), QRect(0, 15, 15, 15));
    }

    void spinButtonArrowKeys() {
        TSpinButton spin;
        int ups = 0;
        int downs = 0;
        spin.OnUpClick = [&](QObject* sender) {
            QCOMPARE(sender, &spin);
            ++ups;
        };
        spin.OnDownClick = [&](QObject*) { ++downs; };
        QTest::keyClick(&spin, Qt::Key_Up);
        QTest::keyClick(&spin, Qt::Key_Down);
        QTest::keyClick(&spin, Qt::Key_Down);
        QCOMPARE(ups, 1);
        QCOMPARE(downs, 2);
    }

    void spinGrowsToItsFont() {
        TNumSpin spin;
        spin.show();
        spin.resize(60, 5);
        QCOMPARE(spin.height(), spin.GetMinHeight());
        QVERIFY(spin.GetMinHeight() > spin.fontMetrics().height());
    }

    void buttonsSitInsideTheEditAndTextStaysClear_data() {
        QTest::addColumn<bool>("inLayout");
        QTest::newRow("placed") << false;
        QTest::newRow("in a layout") << true;
    }
    void buttonsSitInsideTheEditAndTextStaysClear() {
        QFETCH(bool, inLayout);
        QWidget window;
        auto* spin = new TNumSpin(&window);
        if (inLayout)
            (new QVBoxLayout(&window))->addWidget(spin);
        else
            spin->resize(80, 30);
        window.show();
        QVERIFY(spin->height() >= spin->GetMinHeight());
        const QRect button = spin->Button()->geometry();
        QCOMPARE(button.width(), 15);
        QVERIFY(spin->rect().contains(button));
        QVERIFY(button.right() >= spin->width() - 4);
        QVERIFY(spin->textMargins().right() >= button.width());
    }

    void buttonPressFocusesTheEdit() {
        QWidget window;
        auto spin = ZeroOneSpin(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QTest::mousePress(spin->Button()->DownButton(), Qt::LeftButton);
        QTRY_VERIFY(spin->hasFocus());
        QTest::mouseRelease(spin->Button()->DownButton(), Qt::LeftButton);
        QCOMPARE(spin->Value(), 0.0);
    }
};

QTEST_MAIN(TestNumSpin)
#include "test_num_spin.moc"
