#pragma once
// A lamp with a caption beside, above or below it. The lamp is on while
// Checked, can flash while on, and redraws alone (only its rectangle) when it
// switches or flashes; the caption is drawn in full paints. A caption may hold
// several lines separated by "|".

#include "widgets/WidgetBase.h"

#include <QString>
#include <utility>

enum TLEDPos { lpLeft, lpRight, lpTop, lpBottom };

class TLedIndicator : public TOnOffControl {
    Q_OBJECT
public:
    // A new indicator is 73 x 33 pixels with an empty caption.
    explicit TLedIndicator(QWidget* parent = nullptr);
    ~TLedIndicator() override;

    // The lamp; any change of its shape, colours or size repaints.
    TLED& LED() { return *FLED; }
    const TLED& LED() const { return *FLED; }

    TLEDPos LED_Position() const { return FLED_Position; }
    void SetLED_Position(TLEDPos value);
    // Pixels between lamp and caption.
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);

    // The state the lamp shows now (a flashing lamp alternates).
    bool LampShown() const { return FLampShown; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void ParamChange(QObject* sender) override;
    void StatusChanged() override;
    void Flash(bool status) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowLamp(bool on);
    std::pair<int, int> LampSize() const;
    QRect LampArea() const;

    TLED* FLED;
    TLEDPos FLED_Position = lpLeft;
    int FSpacing = 5;
    QString FCaption;
    bool FLampShown = false;
};

// Writes text, whose lines are separated by "|", as a block anchored at
// (x, y); anchor 0..8 is top-left, top-centre, top-right, middle-left,
// centre, middle-right, bottom-left, bottom-centre, bottom-right.
void DrawTextLines(QPainter& canvas, int x, int y, int anchor, const QString& text);

// Writes one line with its corner or edge centre named by anchor at (x, y).
void DrawAnchoredText(QPainter& canvas, int x, int y, int anchor, const QString& line);
