#pragma once
// Hands the received messages to the parts of the window that wait on the
// receiver: the UBX commander (every UBX frame with a right checksum, for its
// ACKs and polled answers) and the baud tasks (any message with a right
// checksum shows the line rate is right). The messages come from the receive
// feed's framer, which keeps its state from chunk to chunk, so a frame split
// by the poll still counts.

#include "protocol/framing/Message.h"

class TBaudTasks;
class TUbxCommander;

class TAnswerFeed {
public:
    TAnswerFeed(TUbxCommander& commander, TBaudTasks& baudTasks);

    void Receive(const protocol::Message& message);

private:
    TUbxCommander& commander_;
    TBaudTasks& baudTasks_;
};
