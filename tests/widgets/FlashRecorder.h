#pragma once
// A flash client that records every WM_FLASHTICK it receives and can run a
// hook inside the notification.

#include "widgets/FlashTimer.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

class FlashRecorder : public QObject {
public:
    struct Tick {
        std::uint32_t counter;
        std::int32_t param;
    };

    ~FlashRecorder() override { UnregisterFlashClient(this); }

    std::vector<Tick> ticks;
    std::function<void()> onTick;

protected:
    bool event(QEvent* e) override {
        if (e->type() != WM_FLASHTICK)
            return QObject::event(e);
        const auto* tick = static_cast<TFlashTickEvent*>(e);
        ticks.push_back({tick->Counter(), tick->Param()});
        if (onTick)
            onTick();
        return true;
    }
};
