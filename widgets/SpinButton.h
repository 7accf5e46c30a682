#pragma once
// Small up/down buttons that repeat while held. A TTimerSpeedBtn clicks once
// on release and, while held longer than its start delay, once per interval,
// timed by the shared flash service. A TSpinButton stacks two of them and
// reports their clicks as OnUpClick and OnDownClick.

#include "widgets/NotifyEvent.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <cstdint>

class TTimerSpeedBtn : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int MinInterval = 50;

    explicit TTimerSpeedBtn(QWidget* parent = nullptr);
    ~TTimerSpeedBtn() override;

    // Repeat period in ms; a value below MinInterval is ignored.
    int Interval() const { return FInterval; }
    void SetInterval(int value);
    // Time from the press to the first repeat, in ms.
    std::uint32_t StartDelay() const { return FStartDelay; }
    void SetStartDelay(std::uint32_t value) { FStartDelay = value; }
    // False: no repeat, only the click on release.
    bool TimerEnabled() const { return FTimerEnabled; }
    void SetTimerEnabled(bool value) { FTimerEnabled = value; }

    // NumGlyphs images side by side: the first is drawn while enabled, the
    // second (when there is one) while disabled.
    QPixmap Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap& value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int value);

    // One click, as on release over the button.
    void Click() { emit clicked(); }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void StopRepeat();

    int FInterval = 100;
    std::uint32_t FStartDelay = 500;
    bool FTimerEnabled = true;
    std::uint64_t StartTime = 0;
    bool FClicking = false;
    QPixmap FGlyph;
    int FNumGlyphs = 1;
};

class TSpinButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int MinWidth = 15;

    explicit TSpinButton(QWidget* parent = nullptr);

    TTimerSpeedBtn* UpButton() const { return FUpButton; }
    TTimerSpeedBtn* DownButton() const { return FDownButton; }

    // Gets the keyboard focus when a button is pressed; forgotten when it is
    // destroyed.
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* value) { FFocusControl = value; }

    // Read from the up button, written to both.
    int Interval() const { return FUpButton->Interval(); }
    void SetInterval(int value);
    std::uint32_t StartDelay() const { return FUpButton->StartDelay(); }
    void SetStartDelay(std::uint32_t value);

    // A null pixmap restores the built-in glyph ("SpinUp" / "SpinDown").
    QPixmap UpGlyph() const { return FUpButton->Glyph(); }
    void SetUpGlyph(const QPixmap& value = {});
    QPixmap DownGlyph() const { return FDownButton->Glyph(); }
    void SetDownGlyph(const QPixmap& value = {});
    int UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
    void SetUpNumGlyphs(int value) { FUpButton->SetNumGlyphs(value); }
    int DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
    void SetDownNumGlyphs(int value) { FDownButton->SetNumGlyphs(value); }

    // Places the control; the width is raised to MinWidth, the up button
    // takes the upper half (height div 2) and the down button the rest.
    void SetBounds(int left, int top, int width, int height);

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TTimerSpeedBtn* CreateButton();
    void AdjustSize(int& width, int& height);
    void BtnClick(TTimerSpeedBtn* button);
    void BtnMouseDown();

    TTimerSpeedBtn* FUpButton = nullptr;
    TTimerSpeedBtn* FDownButton = nullptr;
    QPointer<QWidget> FFocusControl;
};
