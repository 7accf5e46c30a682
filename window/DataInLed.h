#pragma once
// The data-in LED of the port page, reached through this file: the LED's
// headers and the serial port's both declare TThreadPriority, so no file of
// the window includes both.

class QWidget;
class TLedIndicator;

// " Data In", lamp left of the caption, an indicator that clicks do not switch.
TLedIndicator* MakeDataInLed(QWidget* parent);
QWidget* AsWidget(TLedIndicator* led);
bool LedChecked(const TLedIndicator* led);
void SetLedChecked(TLedIndicator* led, bool checked);
