#include "serial/SenderThread.h"

#include "serial/SerialPort.h"

TSenderThread::TSenderThread(TSerialPort& owner, std::string buffer, int sendType)
    : Owner(owner), Buffer(std::move(buffer)), SendType(sendType) {}

void TSenderThread::Run() {
    try {
        if (SendType != 0)
            Owner.SendChars(Buffer);
        else
            Owner.SendString(Buffer);
    } catch (...) {
        // Nobody waits for this thread's result.
    }
}
