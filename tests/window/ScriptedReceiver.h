#pragma once
// A receiver at the far end of a pseudo-terminal that answers each UBX frame
// the monitor sends as the test's script says: ACK-ACK, ACK-NAK or nothing.
// It reads and answers on a thread of its own and keeps the frames that
// arrived, in order.

#include "protocol/UbxFrame.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedReceiver {
public:
    enum class Answer { Ack, Nak, None };
    // index counts the frames received, from 0.
    using Script = std::function<Answer(const TUBXPacket& frame, int index)>;

    ScriptedReceiver(int masterFd, Script script);
    ~ScriptedReceiver();
    ScriptedReceiver(const ScriptedReceiver&) = delete;
    ScriptedReceiver& operator=(const ScriptedReceiver&) = delete;

    // Their names, "CFG-RATE".
    std::vector<std::string> Frames() const;
    std::vector<TUBXPacket> Packets() const;

private:
    void Run();
    void Reply(const TUBXPacket& frame);

    int fd_;
    Script script_;
    mutable std::mutex mutex_;
    std::vector<TUBXPacket> packets_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
