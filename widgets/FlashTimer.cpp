#include "widgets/FlashTimer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <chrono>
#include <vector>

namespace {

constexpr std::int64_t kFirstFlashCode = 2;
constexpr std::int64_t kLastFlashCode = 6;
constexpr std::uint64_t kMaxLateness = 1000;

bool IsFlashCode(std::int64_t period) {
    return period >= kFirstFlashCode && period <= kLastFlashCode;
}

struct FlashClient {
    QPointer<QObject> control;
    const QObject* key; // identity even while the control is being destroyed
    std::int64_t period;
    std::uint64_t due;
    bool last;
};

std::uint64_t SteadyNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int liveTimerCount = 0;

} // namespace

// The service's process-wide state. Touched only on the GUI thread.
struct FlashService {
    std::vector<FlashClient> clients;
    std::uint32_t counter = 0;
    TFlashTimer* shared = nullptr;
    FlashClock clock;
    bool shutDown = false;

    static FlashService& Get() {
        static FlashService service;
        return service;
    }

    std::uint64_t Now() const { return clock ? clock() : SteadyNow(); }

    bool Manual() const { return static_cast<bool>(clock); }

    void Refresh() {
        if (shared)
            shared->UpdateTimer();
    }

    void EnsureTimer() {
        if (shared || shutDown || !QCoreApplication::instance())
            return;
        shared = new TFlashTimer;
        qAddPostRoutine(&FlashService::ShutDown);
    }

    // The application is going away: stop ticking for good.
    static void ShutDown() {
        FlashService& service = Get();
        service.shutDown = true;
        delete service.shared;
        service.shared = nullptr;
    }

    void Serve(FlashClient& client, std::uint64_t now) {
        QObject* control = client.control;
        if (IsFlashCode(client.period)) {
            const bool state = (counter >> client.period) & 1u;
            if (state == client.last)
                return;
            client.last = state;
            TFlashTickEvent event(counter, state ? 1 : 0);
            QCoreApplication::sendEvent(control, &event);
            return;
        }
        if (now < client.due)
            return;
        std::uint64_t lateness = now - client.due;
        if (lateness > kMaxLateness)
            lateness = 0; // too late to catch up: restart the grid from now
        client.due = now + static_cast<std::uint64_t>(client.period) - lateness;
        TFlashTickEvent event(counter, static_cast<std::int32_t>(lateness));
        QCoreApplication::sendEvent(control, &event);
    }

    // Handlers run inside the walk and may add or remove clients, so the walk
    // goes by index and re-reads the length at every step.
    void Tick() {
        ++counter;
        const std::uint64_t now = Now();
        const std::size_t steps = clients.size();
        std::size_t index = 0;
        for (std::size_t step = 0; step < steps && index < clients.size(); ++step) {
            if (QCoreApplication::closingDown())
                break;
            if (!clients[index].control) {
                clients.erase(clients.begin() + index); // destroyed without unregistering
                continue;
            }
            const QObject* served = clients[index].key;
            try {
                Serve(clients[index], now);
            } catch (...) {
                // One faulty client must not stop the others; it is tried
                // again on the next tick.
            }
            if (index < clients.size() && clients[index].key == served)
                ++index;
        }
        if (clients.empty())
            Refresh();
    }
};

void RegisterFlashClient(QObject* control, std::int64_t period) {
    if (!control)
        return;
    FlashService& service = FlashService::Get();
    const std::uint64_t due = service.Now() + static_cast<std::uint64_t>(period);
    bool found = false;
    for (FlashClient& client : service.clients) {
        if (client.key == control) {
            client.period = period;
            client.due = due;
            found = true;
        }
    }
    if (!found) {
        if (service.clients.capacity() - service.clients.size() < 2)
            service.clients.reserve(service.clients.size() + 10);
        service.clients.push_back({control, control, period, due, false});
    }
    service.EnsureTimer();
    service.Refresh();
}

void UnregisterFlashClient(QObject* control) {
    FlashService& service = FlashService::Get();
    for (auto it = service.clients.begin(); it != service.clients.end(); ++it) {
        if (it->key == control) {
            service.clients.erase(it);
            break;
        }
    }
    if (service.clients.empty())
        service.Refresh();
}

bool IsFlashClient(const QObject* control) {
    for (const FlashClient& client : FlashService::Get().clients) {
        if (client.key == control)
            return true;
    }
    return false;
}

std::uint32_t FlashCounter() {
    return FlashService::Get().counter;
}

std::uint64_t FlashNow() {
    return FlashService::Get().Now();
}

void SetFlashClock(FlashClock clock) {
    FlashService& service = FlashService::Get();
    service.clock = std::move(clock);
    service.Refresh();
}

void RunFlashTick() {
    FlashService::Get().Tick();
}

TFlashTimer* SharedFlashTimer() {
    return FlashService::Get().shared;
}

TFlashTimer::TFlashTimer(QObject* owner) : TFlashBase(owner) {
    ++liveTimerCount;
    if (liveTimerCount == 1) {
        SetOnTimer([this](QObject*) { FlashTick(); });
        return;
    }
    const QString text = QStringLiteral("Only one TFlashTimer per Application!\rRemove it...");
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error Message"), text,
                        QMessageBox::Ok);
        box.exec();
    } else {
        qWarning("%s", qPrintable(text));
    }
}

TFlashTimer::~TFlashTimer() {
    --liveTimerCount;
}

void TFlashTimer::FlashTick() {
    FlashService::Get().Tick();
}

bool TFlashTimer::TicksWanted() const {
    const FlashService& service = FlashService::Get();
    return !service.clients.empty() && !service.Manual();
}
