#pragma once
// The process-wide flash service of the widget family. One 16 ms tick drives
// every flashing lamp and every auto-repeating button; all notifications run
// on the GUI thread.
//
// Clients never see the timer. They call RegisterFlashClient with a period and
// receive WM_FLASHTICK events (a TFlashTickEvent) sent synchronously to them:
// - a flash client (period = flash code 2..6) gets an event only when bit
//   <code> of the shared FlashCounter changes; Param() is the new state 0/1.
//   All lamps of one frequency are therefore in phase.
// - an interval client (any other period, in ms) gets an event at the first
//   tick at or after each multiple of the period since its registration;
//   Param() is how late that tick is (0..1000 ms). A tick more than 1000 ms
//   late restarts the schedule from that tick.
// Every client calls UnregisterFlashClient in its destructor.

#include "widgets/FlashBase.h"

#include <QEvent>
#include <cstdint>
#include <functional>

enum TFlashFreq { ff8Hz, ff4Hz, ff2Hz, ff1Hz, ff05Hz };

// The flash code of a frequency: the FlashCounter bit that drives it,
// ff8Hz 2, ff4Hz 3, ff2Hz 4, ff1Hz 5, ff05Hz 6.
constexpr std::int64_t FlashCode(TFlashFreq frequency) {
    return 2 + static_cast<int>(frequency);
}

constexpr QEvent::Type WM_FLASHTICK = static_cast<QEvent::Type>(1124);

class TFlashTickEvent : public QEvent {
public:
    TFlashTickEvent(std::uint32_t counter, std::int32_t param)
        : QEvent(WM_FLASHTICK), FCounter(counter), FParam(param) {}

    // First parameter: FlashCounter at this tick.
    std::uint32_t Counter() const { return FCounter; }
    // Second parameter: the flash state (0 or 1) for a flash client, the
    // lateness in milliseconds (0..1000) for an interval client.
    std::int32_t Param() const { return FParam; }

private:
    std::uint32_t FCounter;
    std::int32_t FParam;
};

// Adds control as a client or changes its period (one record per control; a
// flash client keeps its last reported state). Restarts an interval client's
// schedule from now. Creates the shared timer on first use. A null control is
// ignored.
void RegisterFlashClient(QObject* control, std::int64_t period);

// Removes control's registration; does nothing for a control not registered.
void UnregisterFlashClient(QObject* control);

// Whether control currently has a registration.
bool IsFlashClient(const QObject* control);

// The shared tick counter: +1 per tick, 0xFFFFFFFF is followed by 0.
std::uint32_t FlashCounter();

// The service's monotonic millisecond clock (the "now" of the schedule).
// Clients that time things themselves (a repeat start delay) read it here.
std::uint64_t FlashNow();

// Test seam. A non-empty clock replaces the monotonic clock and puts the
// service in manual mode: the worker hands over no ticks and time moves only
// through the clock, ticks only through RunFlashTick. An empty clock restores
// the monotonic clock and automatic ticking.
using FlashClock = std::function<std::uint64_t()>;
void SetFlashClock(FlashClock clock);

// One tick of the service: advance FlashCounter and serve every client.
void RunFlashTick();

class TFlashTimer : public TFlashBase {
    Q_OBJECT
public:
    // Only the first live instance ticks; a second one shows a message box
    // and stays inert.
    explicit TFlashTimer(QObject* owner = nullptr);
    ~TFlashTimer() override;

    // The tick handler of the ticking instance.
    void FlashTick();

protected:
    bool TicksWanted() const override;

private:
    friend struct FlashService;
};

// The timer the service created, or null before the first registration.
TFlashTimer* SharedFlashTimer();
