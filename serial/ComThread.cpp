#include "serial/ComThread.h"

#include "serial/DeviceMap.h"
#include "serial/GuiThreadCall.h"
#include "serial/PosixDevice.h"
#include "serial/ReceiveLog.h"
#include "serial/SerialPort.h"

#include <chrono>

TComThread::TComThread(TSerialPort& owner) : Owner(owner) {
    Owner.ConnectedTo = spNone;
    std::unique_ptr<PosixDevice> device =
        PosixDevice::Open(DevicePathOfPort(Owner.FPort), openError_);
    if (!device)
        return;
    ComDevice = std::move(device);
    // A refused setting leaves the port open with what the device kept.
    Owner.ApplyLineSettings(ComDevice.get());
    Owner.ApplyTimeouts(ComDevice.get());
    Owner.ApplyBufferSizes(ComDevice.get());
    Owner.ConnectedTo = StringToCommPort(Owner.FPort);
    try {
        Dispatch([this] {
            if (Owner.OnConnect && Owner.ConnectedTo != spNone)
                Owner.OnConnect(&Owner, Owner.ConnectedTo);
        });
    } catch (...) {
        // A failing connect handler leaves no port open behind the error.
        Release();
        throw;
    }
}

TComThread::~TComThread() {
    RequestStop();
    Join();
}

void TComThread::RequestStop() {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
    stopSignal_.notify_all();
}

bool TComThread::StopRequested() {
    std::lock_guard lock(stopMutex_);
    return stopRequested_;
}

void TComThread::Dispatch(const std::function<void()>& call) {
    if (Owner.FNeedSynchronization)
        RunOnGuiThread(call);
    else
        call();
}

void TComThread::Run() {
    while (!StopRequested() && ComDevice->IsOpen()) {
        PollLineStatus();
        bool backlog = false;
        if (!StopRequested() && ComDevice->IsOpen())
            backlog = PollReceive();
        // A full queue means bytes arrive faster than one queue per Delay:
        // poll again at once so that the driver never has to drop any.
        if (!backlog && !StopRequested() && ComDevice->IsOpen())
            SleepDelay();
    }
    Release();
}

void TComThread::PollLineStatus() {
    try {
        const TLineStatusSet lines = ComDevice->LineStatus();
        if (lines == Owner.FLineStatus)
            return;
        Owner.FLineStatus = lines;
        Dispatch([this] {
            if (Owner.OnLineStatusChange)
                Owner.OnLineStatusChange(&Owner, Owner.FLineStatus);
        });
    } catch (...) {
        // Handler failures must not stop the reader.
    }
}

bool TComThread::PollReceive() {
    bool backlog = false;
    try {
        if (ComDevice->BytesQueued() == 0 || StopRequested())
            return false;
        Owner.FIsReceiving = true;
        std::string chunk;
        backlog = ComDevice->ReadQueued(chunk);
        if (!chunk.empty()) {
            {
                std::lock_guard tapLock(Owner.receiveTapMutex_);
                if (Owner.receiveTap_)
                    Owner.receiveTap_(chunk.data(), chunk.size());
            }
            Owner.FReadBuffer = std::move(chunk);
            Dispatch([this] {
                if (Owner.OnReceive)
                    Owner.OnReceive(&Owner, Owner.FReadBuffer);
            });
            if (Owner.FLogInput)
                WriteToLogFile(Owner.LogFile(), Owner.FLogDateTime, Owner.FReadBuffer);
        }
    } catch (...) {
        // A failing handler or log loses nothing but its own step.
    }
    Owner.FIsReceiving = false;
    return backlog;
}

void TComThread::SleepDelay() {
    std::unique_lock lock(stopMutex_);
    stopSignal_.wait_for(lock, std::chrono::milliseconds(Owner.FDelay.load()),
                         [this] { return stopRequested_; });
}

void TComThread::Release() {
    try {
        Dispatch([this] {
            const TCommPort port = Owner.ConnectedTo;
            if (Owner.OnDisconnect && port != spNone)
                Owner.OnDisconnect(&Owner, port);
        });
    } catch (...) {
        // The device is released whatever the handler does.
    }
    if (ComDevice) {
        ComDevice->PurgeAll();
        ComDevice->Close();
    }
    Owner.ConnectedTo = spNone;
}
