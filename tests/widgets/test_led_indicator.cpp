// The LED indicator: status word, groups and click modes of the on/off
// control, and what the lamp and its caption look like on screen.

#include "tests/widgets/ManualFlashClock.h"
#include "widgets/LedIndicator.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QtTest>
#include <array>
#include <memory>

Q_DECLARE_METATYPE(TLEDPos)
Q_DECLARE_METATYPE(TLEDShape)

namespace {

// Three lamps side by side in one window, in one group, on bits 0, 1 and 2.
struct LampGroup {
    QWidget window;
    std::array<TLedIndicator*, 3> lamps{};

    explicit LampGroup(TMode mode) {
        window.resize(240, 40);
        for (int i = 0; i < 3; ++i) {
            lamps[i] = new TLedIndicator(&window);
            lamps[i]->move(i * 80, 0);
            lamps[i]->SetStatusBit(i);
            lamps[i]->SetGroupIndex(1);
            lamps[i]->SetMode(mode);
        }
    }

    void Click(int i) { QTest::mouseClick(lamps[i], Qt::LeftButton, {}, LampCentre(i)); }

    QPoint LampCentre(int i) const {
        QImage(lamps[i]->grab().toImage()); // lays the lamp out
        return lamps[i]->LED().Rect.center();
    }

    QList<int> StatusInts() const {
        QList<int> values;
        for (TLedIndicator* lamp : lamps)
            values << lamp->StatusInt();
        return values;
    }

    QList<bool> CheckedStates() const {
        QList<bool> states;
        for (TLedIndicator* lamp : lamps)
            states << lamp->Checked();
        return states;
    }
};

QColor PixelAt(const QImage& image, QPoint point) {
    return image.pixelColor(point);
}

// The box around the pixels that are much darker than the background and lie
// outside the lamp: where the caption was written.
QRect CaptionBox(const QImage& image, const QRect& lamp, const QColor& background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (lamp.adjusted(-1, -1, 1, 1).contains(x, y))
                continue;
            if (image.pixelColor(x, y).lightness() < background.lightness() - 80)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

class TestLedIndicator : public QObject {
    Q_OBJECT
private slots:
    void outOfRangeSettingsAreIgnored();
    void statusWordAndFirstCheckedBit_data();
    void statusWordAndFirstCheckedBit();
    void modeResetsTheStatusWord();
    void radioGroupLightsOneLamp();
    void switchGroupActsAsABitField();
    void joiningAGroupAdoptsItsStatus();
    void buttonModeIsOnWhileHeld();
    void indicatorModeIgnoresClicks();
    void flashingFollowsCheckedAndFrequency();
    void everyShapeFillsItsCentreAndStaysInside_data();
    void everyShapeFillsItsCentreAndStaysInside();
    void lampShowsItsState();
    void roundLampIsACircle();
    void captionSitsBesideTheLamp_data();
    void captionSitsBesideTheLamp();
    void multiLineCaptionIsCentredAsABlock();
    void switchingAndFlashingRepaintOnlyTheLamp();
};

void TestLedIndicator::outOfRangeSettingsAreIgnored() {
    TLedIndicator lamp;
    int changes = 0;
    lamp.LED().OnChange = [&](QObject*) { ++changes; };
    const struct {
        int value;
        int expected;
    } widths[] = {{100, 13}, {3, 13}, {80, 80}, {80, 80}, {4, 4}, {81, 4}};
    for (const auto& step : widths) {
        lamp.LED().SetWidth(step.value);
        lamp.LED().SetHeight(step.value);
        QCOMPARE(lamp.LED().Width(), step.expected);
        QCOMPARE(lamp.LED().Height(), step.expected);
    }
    QCOMPARE(changes, 4); // two sizes taken, each for width and height

    lamp.SetStatusBit(5);
    lamp.SetStatusBit(32);
    lamp.SetStatusBit(-1);
    QCOMPARE(lamp.StatusBit(), 5);
    lamp.SetGroupIndex(2);
    lamp.SetGroupIndex(-3);
    QCOMPARE(lamp.GroupIndex(), 2);
}

void TestLedIndicator::statusWordAndFirstCheckedBit_data() {
    QTest::addColumn<int>("statusBit");
    QTest::addColumn<qint32>("statusInt");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<int>("firstCheckedBit");
    QTest::newRow("empty word") << 0 << qint32(0) << false << 32;
    QTest::newRow("bit 31 only") << 31 << qint32(0x80000000u) << true << 31;
    QTest::newRow("own bit set") << 3 << qint32(0b1100) << true << 2;
    QTest::newRow("own bit clear") << 4 << qint32(0b1100) << false << 2;
}

void TestLedIndicator::statusWordAndFirstCheckedBit() {
    QFETCH(int, statusBit);
    QFETCH(qint32, statusInt);
    QFETCH(bool, checked);
    QFETCH(int, firstCheckedBit);
    TLedIndicator lamp;
    lamp.SetStatusInt(-1);
    lamp.SetStatusBit(statusBit);
    lamp.SetStatusInt(statusInt);
    QCOMPARE(lamp.Checked(), checked);
    QCOMPARE(lamp.FirstCheckedBit(), firstCheckedBit);

    // Switching the lamp sets or clears exactly its own bit.
    lamp.SetChecked(!checked);
    QCOMPARE(quint32(lamp.StatusInt()), quint32(statusInt) ^ (1u << statusBit));
}

void TestLedIndicator::modeResetsTheStatusWord() {
    TLedIndicator onBit0, onBit2;
    onBit2.SetStatusBit(2);
    for (TLedIndicator* lamp : {&onBit0, &onBit2}) {
        lamp->SetStatusInt(0b110);
        lamp->SetMode(mRadioButton);
        QCOMPARE(lamp->StatusInt(), 1);
    }
    QVERIFY(onBit0.Checked());
    QVERIFY(!onBit2.Checked());
    onBit0.SetMode(mButton);
    QCOMPARE(onBit0.StatusInt(), 0);
    QVERIFY(!onBit0.Checked());
}

void TestLedIndicator::radioGroupLightsOneLamp() {
    LampGroup group(mRadioButton);
    int notified = 0;
    group.lamps[0]->OnStatusIntChanged = [&](QObject* sender) {
        QCOMPARE(sender, group.lamps[0]);
        ++notified;
    };
    group.Click(1);
    QCOMPARE(group.StatusInts(), (QList<int>{2, 2, 2}));
    QCOMPARE(group.CheckedStates(), (QList<bool>{false, true, false}));
    for (TLedIndicator* lamp : group.lamps)
        QCOMPARE(lamp->FirstCheckedBit(), 1);
    QCOMPARE(notified, 1);

    group.Click(2);
    group.Click(2);
    QCOMPARE(group.StatusInts(), (QList<int>{4, 4, 4}));
    QCOMPARE(group.CheckedStates(), (QList<bool>{false, false, true}));
}

void TestLedIndicator::switchGroupActsAsABitField() {
    LampGroup group(mSwitch);
    group.Click(0);
    group.Click(2);
    QCOMPARE(group.StatusInts(), (QList<int>{5, 5, 5}));
    QCOMPARE(group.CheckedStates(), (QList<bool>{true, false, true}));
    group.Click(0);
    QCOMPARE(group.StatusInts(), (QList<int>{4, 4, 4}));
    QCOMPARE(group.CheckedStates(), (QList<bool>{false, false, true}));

    // A lamp in another group, or in none, is left alone.
    auto* stranger = new TLedIndicator(&group.window);
    stranger->SetGroupIndex(2);
    group.lamps[1]->SetChecked(true);
    QCOMPARE(stranger->StatusInt(), 0);
    QCOMPARE(group.lamps[0]->StatusInt(), 6);
}

void TestLedIndicator::joiningAGroupAdoptsItsStatus() {
    LampGroup group(mSwitch);
    group.lamps[0]->SetStatusInt(6);
    auto* late = new TLedIndicator(&group.window);
    late->SetStatusBit(1);
    late->SetGroupIndex(1);
    QCOMPARE(late->StatusInt(), 6);
    QVERIFY(late->Checked());
}

void TestLedIndicator::buttonModeIsOnWhileHeld() {
    TLedIndicator lamp;
    lamp.SetMode(mButton);
    const QPoint centre = lamp.rect().center();
    bool checkedAtDown = false, checkedAtUp = false;
    lamp.OnMouseDown = [&](QObject*, QMouseEvent*) { checkedAtDown = lamp.Checked(); };
    lamp.OnMouseUp = [&](QObject*, QMouseEvent*) { checkedAtUp = lamp.Checked(); };

    QTest::mousePress(&lamp, Qt::RightButton, {}, centre);
    QVERIFY(!lamp.Checked());
    QTest::mouseRelease(&lamp, Qt::RightButton, {}, centre);

    QTest::mousePress(&lamp, Qt::LeftButton, {}, centre);
    QVERIFY(lamp.Checked());
    QVERIFY(lamp.MouseIsDown());
    QVERIFY(checkedAtDown);
    QTest::mouseRelease(&lamp, Qt::LeftButton, {}, centre);
    QVERIFY(checkedAtUp);
    QVERIFY(!lamp.Checked());
    QVERIFY(!lamp.MouseIsDown());
    QCOMPARE(lamp.StatusInt(), 0);
}

void TestLedIndicator::indicatorModeIgnoresClicks() {
    TLedIndicator lamp;
    int clicks = 0;
    lamp.OnClick = [&](QObject*) { ++clicks; };
    QTest::mouseClick(&lamp, Qt::LeftButton, {}, lamp.rect().center());
    QVERIFY(!lamp.Checked());
    QVERIFY(!lamp.MouseIsDown());
    QCOMPARE(clicks, 1);
    lamp.SetChecked(true);
    QTest::mouseClick(&lamp, Qt::LeftButton, {}, lamp.rect().center());
    QVERIFY(lamp.Checked());
}

void TestLedIndicator::flashingFollowsCheckedAndFrequency() {
    ManualFlashClock clock;
    TLedIndicator lamp;
    int statusChanges = 0;
    lamp.OnStatusChanged = [&](QObject*) { ++statusChanges; };
    lamp.SetFlashing(true);
    QVERIFY(!IsFlashClient(&lamp));
    lamp.SetChecked(true);
    QVERIFY(IsFlashClient(&lamp));
    QCOMPARE(statusChanges, 2);

    const auto toggles = [&](int ticks) {
        int count = 0;
        bool shown = lamp.LampShown();
        for (int i = 0; i < ticks; ++i) {
            clock.Tick();
            count += lamp.LampShown() != shown;
            shown = lamp.LampShown();
        }
        return count;
    };
    toggles(128);              // in step with the counter
    QCOMPARE(toggles(256), 8); // 1 Hz: a toggle every 32 ticks
    lamp.SetFrequency(ff8Hz);
    toggles(8);
    QCOMPARE(toggles(256), 64); // 8 Hz: a toggle every 4 ticks

    lamp.SetFlashing(false);
    QVERIFY(!IsFlashClient(&lamp));
    QVERIFY(lamp.LampShown());
    lamp.SetFlashing(true);
    lamp.SetChecked(false);
    QVERIFY(!IsFlashClient(&lamp));
    QVERIFY(!lamp.LampShown());
    QCOMPARE(toggles(64), 0);
}

void TestLedIndicator::everyShapeFillsItsCentreAndStaysInside_data() {
    QTest::addColumn<TLEDShape>("shape");
    QTest::addColumn<QPoint>("openCorner"); // a corner of the rectangle the figure leaves out
    const QPoint topLeft(10, 20), topRight(40, 20), bottomLeft(10, 40), bottomRight(40, 40);
    QTest::newRow("round") << sRound << bottomRight;
    QTest::newRow("arrow left") << sArrowLeft << topLeft;
    QTest::newRow("arrow right") << sArrowRight << topRight;
    QTest::newRow("arrow up") << sArrowUp << topLeft;
    QTest::newRow("arrow down") << sArrowDown << bottomLeft;
    QTest::newRow("rectangle") << sRectangle << QPoint();
    QTest::newRow("diamond left") << sDiamondLeft << topRight;
    QTest::newRow("diamond right") << sDiamondRight << topLeft;
}

void TestLedIndicator::everyShapeFillsItsCentreAndStaysInside() {
    QFETCH(TLEDShape, shape);
    QFETCH(QPoint, openCorner);
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect lamp(10, 20, 31, 21);
    {
        QPainter canvas(&image);
        DrawShape(canvas, lamp, shape, Qt::red, Qt::blue, Qt::yellow);
    }
    QCOMPARE(PixelAt(image, {10 + 15, 20 + 10}), QColor(Qt::red));
    const QRect allowed = lamp.adjusted(0, 0, 1, 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!allowed.contains(x, y))
                QCOMPARE(image.pixelColor(x, y), QColor(Qt::white));
    if (shape == sRectangle)
        QCOMPARE(PixelAt(image, lamp.topLeft()), QColor(Qt::blue));
    else
        QCOMPARE(PixelAt(image, openCorner), QColor(Qt::white));
}

void TestLedIndicator::lampShowsItsState() {
    TLedIndicator lamp;
    lamp.LED().SetColorOff(clRed);
    lamp.SetChecked(true); // before any paint
    QImage image = lamp.grab().toImage();
    const QPoint centre = lamp.LED().Rect.center();
    QCOMPARE(PixelAt(image, centre), QColor(0, 255, 0));

    lamp.SetChecked(false);
    QCOMPARE(PixelAt(lamp.grab().toImage(), centre), QColor(255, 0, 0));

    // A flash notification shows its state without touching Checked.
    TFlashTickEvent on(0, 1);
    QCoreApplication::sendEvent(&lamp, &on);
    QCOMPARE(PixelAt(lamp.grab().toImage(), centre), QColor(0, 255, 0));
    QVERIFY(!lamp.Checked());

    lamp.LED().SetColorOff(clBtnFace);
    lamp.SetChecked(true);
    lamp.SetChecked(false);
    QCOMPARE(PixelAt(lamp.grab().toImage(), centre), lamp.palette().color(QPalette::Button));
}

void TestLedIndicator::roundLampIsACircle() {
    TLedIndicator lamp;
    lamp.LED().SetWidth(20);
    lamp.LED().SetHeight(10);
    lamp.grab();
    QCOMPARE(lamp.LED().Rect, QRect(0, 6, 20, 20)); // centred on 33 / 2
    lamp.LED().SetShape(sRectangle);
    lamp.grab();
    QCOMPARE(lamp.LED().Rect, QRect(0, 11, 20, 10));
}

void TestLedIndicator::captionSitsBesideTheLamp_data() {
    QTest::addColumn<TLEDPos>("position");
    QTest::addColumn<QRect>("lampRect");
    QTest::addColumn<QPoint>("towardsCaption");
    QTest::newRow("lamp left") << lpLeft << QRect(0, 34, 13, 13) << QPoint(1, 0);
    QTest::newRow("lamp right") << lpRight << QRect(107, 34, 13, 13) << QPoint(-1, 0);
    QTest::newRow("lamp top") << lpTop << QRect(54, 0, 13, 13) << QPoint(0, 1);
    QTest::newRow("lamp bottom") << lpBottom << QRect(54, 67, 13, 13) << QPoint(0, -1);
}

void TestLedIndicator::captionSitsBesideTheLamp() {
    QFETCH(TLEDPos, position);
    QFETCH(QRect, lampRect);
    QFETCH(QPoint, towardsCaption);
    TLedIndicator lamp;
    lamp.resize(120, 80);
    lamp.SetCaption(QStringLiteral("Data"));
    lamp.SetLED_Position(position);
    const QImage image = lamp.grab().toImage();
    const QRect led = lamp.LED().Rect;
    QCOMPARE(led, lampRect);
    const QRect caption = CaptionBox(image, led, lamp.palette().color(QPalette::Window));
    QVERIFY(!caption.isEmpty());

    const QPoint offset = caption.center() - led.center();
    const int along = offset.x() * towardsCaption.x() + offset.y() * towardsCaption.y();
    const int across = offset.x() * towardsCaption.y() - offset.y() * towardsCaption.x();
    QVERIFY2(along > 0, "caption on the wrong side of the lamp");
    QVERIFY2(qAbs(across) <= 3, "caption not centred on the lamp");
    const int gap =
        std::max({caption.left() - (led.right() + 1), led.left() - (caption.right() + 1),
                  caption.top() - (led.bottom() + 1), led.top() - (caption.bottom() + 1)});
    QVERIFY(gap >= lamp.Spacing() - 1);
    QVERIFY(gap <= lamp.Spacing() + 6);
}

void TestLedIndicator::multiLineCaptionIsCentredAsABlock() {
    TLedIndicator lamp;
    lamp.resize(120, 80);
    lamp.SetCaption(QStringLiteral("Upper|Lower"));
    const QImage image = lamp.grab().toImage();
    const QRect led = lamp.LED().Rect;
    const QRect caption = CaptionBox(image, led, lamp.palette().color(QPalette::Window));
    const int lineHeight = lamp.fontMetrics().height();
    QVERIFY(caption.height() > lineHeight);
    QVERIFY(caption.top() < led.center().y() - lineHeight / 2);
    QVERIFY(caption.bottom() > led.center().y() + lineHeight / 2);
    QVERIFY(qAbs(caption.center().y() - led.center().y()) <= 3);
}

namespace {

class PaintCounter : public QObject {
public:
    QList<QRect> rects;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            rects << static_cast<QPaintEvent*>(event)->rect();
        return false;
    }
};

} // namespace

void TestLedIndicator::switchingAndFlashingRepaintOnlyTheLamp() {
    ManualFlashClock clock;
    QWidget window;
    window.resize(200, 60);
    auto* lamp = new TLedIndicator(&window);
    lamp->SetCaption(QStringLiteral("Flashing"));
    lamp->SetFrequency(ff8Hz);
    lamp->SetFlashing(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(!lamp->LED().Rect.isEmpty());

    PaintCounter counter;
    lamp->installEventFilter(&counter);
    const QRect lampArea = lamp->LED().Rect.adjusted(0, 0, 1, 1);
    const auto lampOnly = [&] {
        for (const QRect& rect : counter.rects)
            if (!lampArea.contains(rect))
                return false;
        return true;
    };

    lamp->SetChecked(true);
    QTRY_COMPARE(counter.rects.size(), 1);
    QVERIFY(lampOnly());

    for (int i = 0; i < 16; ++i) // past the first state report
        clock.Tick();
    QCoreApplication::processEvents();
    counter.rects.clear();
    for (int i = 0; i < 32; ++i) {
        clock.Tick();
        QCoreApplication::processEvents();
    }
    QCOMPARE(counter.rects.size(), 8); // 8 Hz: a change every 4 ticks
    QVERIFY(lampOnly());
}

QTEST_MAIN(TestLedIndicator)
#include "test_led_indicator.moc"
