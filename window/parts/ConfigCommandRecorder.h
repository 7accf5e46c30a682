#pragma once
// Records, while on, the configuration the window gives the receiver: every
// command of the CFG class the receiver acknowledged (ACK-ACK), in the order
// of the acknowledgements, as the UBX commander reports them. What it kept
// is written as a frame file (FrameFile.h), to apply to another receiver.
// Polls, refused and unanswered commands and resets are not kept.

#include "protocol/UbxFrame.h"

#include <QObject>
#include <string>
#include <vector>

class TUbxCommander;

class TConfigCommandRecorder : public QObject {
    Q_OBJECT
public:
    TConfigCommandRecorder(QObject* parent, TUbxCommander& commander);

    // Starts afresh: what an earlier recording kept is forgotten.
    void Start();
    void Stop();
    bool Recording() const { return recording_; }

    const std::vector<TUBXPacket>& Commands() const { return commands_; }
    std::string FrameFile() const;

signals:
    void Recorded(int count);

private:
    std::vector<TUBXPacket> commands_;
    bool recording_ = false;
};
