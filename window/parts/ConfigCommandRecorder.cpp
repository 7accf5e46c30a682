#include "window/parts/ConfigCommandRecorder.h"

#include "protocol/commands/UbxCommands.h"
#include "protocol/configfiles/FrameFile.h"
#include "window/parts/UbxCommander.h"

TConfigCommandRecorder::TConfigCommandRecorder(QObject* parent, TUbxCommander& commander)
    : QObject(parent) {
    connect(&commander, &TUbxCommander::Settled, this,
            [this](const TUBXPacket& command, const ubx::TCommandOutcome& outcome) {
                if (!recording_ || command.pkClass != ubx::kClassCfg ||
                    outcome.kind != ubx::TAnswerKind::Acknowledged)
                    return;
                commands_.push_back(command);
                emit Recorded(static_cast<int>(commands_.size()));
            });
}

void TConfigCommandRecorder::Start() {
    commands_.clear();
    recording_ = true;
    emit Recorded(0);
}

void TConfigCommandRecorder::Stop() {
    recording_ = false;
}

std::string TConfigCommandRecorder::FrameFile() const {
    return ubx::WriteFrameFile(commands_);
}
