#pragma once
// TSenderThread: one send from a thread of its own. It keeps its own copy of
// the bytes, so the caller may drop its string at once; a failure (the port
// not open, for instance) ends the thread unreported.

#include "serial/WorkerThread.h"

#include <string>

class TSerialPort;

class TSenderThread : public WorkerThread {
public:
    // SendType 0 sends as SendString, any other value as SendChars.
    TSenderThread(TSerialPort& owner, std::string buffer, int sendType);
    ~TSenderThread() override { Join(); }

protected:
    void Run() override;

private:
    TSerialPort& Owner;
    const std::string Buffer;
    const int SendType;
};
