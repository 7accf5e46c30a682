#pragma once
// Cuts the received chunks into messages for the parts of the window that
// wait on the receiver: the UBX commander (every UBX frame with a right
// checksum, for its ACKs and polled answers) and the baud tasks (any message
// with a right checksum shows the line rate is right). The framer keeps its
// state from chunk to chunk, so a frame split by the poll still counts.

#include "protocol/framing/Framer.h"

#include <string>

class TBaudTasks;
class TUbxCommander;

class TAnswerFeed {
public:
    TAnswerFeed(TUbxCommander& commander, TBaudTasks& baudTasks);

    void Receive(const std::string& chunk);
    // A new connection: what the last one left half-received is dropped.
    void Restart() { framer_ = {}; }

private:
    TUbxCommander& commander_;
    TBaudTasks& baudTasks_;
    protocol::Framer framer_;
};
