#pragma once
// A numeric edit with a pair of repeating spin buttons at its right edge. The
// buttons step the value, grey out at the limits, and are disabled while the
// text is being edited or in error, so a step never builds on an uncommitted
// text.

#include "widgets/NumEdit.h"
#include "widgets/SpinButton.h"

#include <cstdint>

class TNumSpin : public TNumEdit {
    Q_OBJECT
public:
    explicit TNumSpin(QWidget* parent = nullptr);
    ~TNumSpin() override;

    // Repeat period and start delay of the buttons, in ms.
    int Interval() const { return FButton->Interval(); }
    void SetInterval(int value) { FButton->SetInterval(value); }
    std::uint32_t StartDelay() const { return FButton->StartDelay(); }
    void SetStartDelay(std::uint32_t value) { FButton->SetStartDelay(value); }

    TSpinButton* Button() const { return FButton; }

    // The least height at which the edit's font fits; the size hints and
    // every resize keep to it.
    int GetMinHeight() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void SetState(TNumEditState state) override;
    void LimitChanged() override;

    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetEditRect();
    void EnableButtons();

    TSpinButton* FButton = nullptr;
};
