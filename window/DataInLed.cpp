#include "window/DataInLed.h"

#include "widgets/LedIndicator.h"

TLedIndicator* MakeDataInLed(QWidget* parent) {
    auto* led = new TLedIndicator(parent);
    led->setObjectName("ledDataIn");
    led->SetCaption(" Data In");
    led->SetMode(mIndicator);
    led->SetFrequency(ff1Hz);
    led->SetLED_Position(lpLeft);
    led->SetSpacing(5);
    return led;
}

QWidget* AsWidget(TLedIndicator* led) {
    return led;
}

bool LedChecked(const TLedIndicator* led) {
    return led->Checked();
}

void SetLedChecked(TLedIndicator* led, bool checked) {
    led->SetChecked(checked);
}
