#pragma once
// Shared bases of the indicator widgets: a persistent object that reports its
// changes, the lamp (shape, colours, size, drawing) and the on/off control
// (checked, flashing, status word, groups, click modes).

#include "widgets/Colors.h"
#include "widgets/FlashTimer.h"
#include "widgets/NotifyEvent.h"

#include <QObject>
#include <QRect>
#include <QWidget>
#include <functional>

class QColor;
class QMouseEvent;
class QPainter;
class QPalette;

// An object that calls OnChange whenever one of its properties changes.
class TNotifyPersistent : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    TNotifyEvent OnChange;

protected:
    // OnChange with this object as sender.
    virtual void Change();
    // OnChange with the given sender.
    virtual void ChangeObject(QObject* sender);
};

enum TLEDShape {
    sRound,
    sArrowLeft,
    sArrowRight,
    sArrowUp,
    sArrowDown,
    sRectangle,
    sDiamondLeft,
    sDiamondRight
};

// Draws one lamp figure into rect (right and bottom exclusive): outline pen of
// width 1, filled with fill. A round lamp also gets a highlight arc on its
// upper-left quarter.
void DrawShape(QPainter& canvas, const QRect& rect, TLEDShape shape, const QColor& fill,
               const QColor& outline, const QColor& highlight);

// The lamp of an indicator: shape, colours and size, and where it was last
// laid out.
class TLED : public TNotifyPersistent {
    Q_OBJECT
public:
    static constexpr int MinSize = 4;
    static constexpr int MaxSize = 80;

    using TNotifyPersistent::TNotifyPersistent;

    TLEDShape Shape() const { return FShape; }
    void SetShape(TLEDShape value);
    TColor ColorOn() const { return FColorOn; }
    void SetColorOn(TColor value);
    TColor ColorOff() const { return FColorOff; }
    void SetColorOff(TColor value);
    // Sizes outside MinSize..MaxSize are ignored.
    int Width() const { return FWidth; }
    void SetWidth(int value);
    int Height() const { return FHeight; }
    void SetHeight(int value);

    // Where the lamp was last laid out (set by its indicator's full paint).
    QRect Rect;

    // Paints the lamp into Rect, in ColorOn when on, else ColorOff.
    void Draw(QPainter& canvas, bool on, const QPalette& palette) const;

private:
    template <typename T> void Store(T& field, T value);

    TLEDShape FShape = sRound;
    TColor FColorOn = clLime;
    TColor FColorOff = clBtnFace;
    int FWidth = 13;
    int FHeight = 13;
};

enum TMode { mButton, mSwitch, mIndicator, mRadioButton };

// A control that is on or off, may flash while on, and shares a 32-bit status
// word with the other controls of its group: bit StatusBit of StatusInt is
// its own state. Controls of one window with the same GroupIndex (not 0)
// always hold the same StatusInt, so they act as a bit field or, in
// mRadioButton mode, as radio buttons.
class TOnOffControl : public QWidget {
    Q_OBJECT
public:
    using TMouseEvent = std::function<void(QObject* sender, QMouseEvent* event)>;

    explicit TOnOffControl(QWidget* parent = nullptr);
    ~TOnOffControl() override;

    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    TFlashFreq Frequency() const { return FFrequency; }
    void SetFrequency(TFlashFreq value);
    bool Flashing() const { return FFlashing; }
    void SetFlashing(bool value);
    std::int32_t StatusInt() const { return FStatusInt; }
    void SetStatusInt(std::int32_t value);
    // 0..31; other values are ignored.
    int StatusBit() const { return FStatusBit; }
    void SetStatusBit(int value);
    // 0 = no group; negative values are ignored.
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    TMode Mode() const { return FMode; }
    void SetMode(TMode value);

    // True from a left-button press until its release.
    bool MouseIsDown() const { return FMouseIsDown; }
    // The lowest set bit of StatusInt, 32 when none is set.
    int FirstCheckedBit() const { return FFirstCheckedBit; }

    TNotifyEvent OnStatusChanged;
    TNotifyEvent OnStatusIntChanged;
    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

protected:
    // Change hooks; they do nothing here.
    virtual void ParamChange(QObject* sender);
    virtual void StatusChanged();
    virtual void GroupIndexChanged();
    virtual void StatusIntChanged();
    virtual void Flash(bool status);

    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void StartFlash();
    void FollowFlashState();
    void NotifyStatusChanged();
    void PropagateToGroup();
    void AdoptGroupStatus();
    QList<TOnOffControl*> GroupMembers() const;

    bool FChecked = false;
    TFlashFreq FFrequency = ff1Hz;
    bool FFlashing = false;
    std::int32_t FStatusInt = 0;
    int FStatusBit = 0;
    int FGroupIndex = 0;
    TMode FMode = mIndicator;
    bool FMouseIsDown = false;
    int FFirstCheckedBit = 32;
};
