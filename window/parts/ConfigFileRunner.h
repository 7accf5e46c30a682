#pragma once
// Applies a configuration file's frames to the receiver one by one through
// the UBX commander: the next frame goes out only once the one before has
// its ACK-ACK or its answer, so the receiver takes them in order. An ACK-NAK
// or no answer stops the run, unless the user chose to go on past them; the
// user may cancel. Each frame's outcome and the run's summary are told
// through signals: "Applied 12 of 12 frames", "Stopped at frame 5 of 12
// (CFG-VALSET): ACK-NAK".

#include "protocol/configfiles/FrameFile.h"

#include <QObject>
#include <QStringList>
#include <vector>

class TUbxCommander;
namespace ubx {
struct TCommandOutcome;
}

class TConfigFileRunner : public QObject {
    Q_OBJECT
public:
    TConfigFileRunner(QObject* parent, TUbxCommander& commander);

    // Sends the first frame; a run still going is dropped, its outcomes unheard.
    void Start(std::vector<ubx::TNamedFrame> frames, bool goOnAfterFailure);
    // Sends nothing more; the frame on its way is not waited for.
    void Cancel();
    bool Running() const { return running_; }

signals:
    // number counts from 1; outcome as the port log shows it, "CFG-VALSET:
    // ACK-ACK after 84 ms".
    void FrameSettled(int number, const QString& name, const QString& outcome);
    void Finished(const QString& summary);

private:
    void SendNext();
    void Settle(const ubx::TCommandOutcome& outcome);
    void Stop(const QString& why);
    void Finish(const QString& summary);
    QString FrameText(std::size_t index) const; // "frame 5 of 12 (CFG-VALSET)"

    TUbxCommander& commander_;
    std::vector<ubx::TNamedFrame> frames_;
    std::size_t next_ = 0;
    std::size_t applied_ = 0;
    std::uint64_t run_ = 0; // outcomes of earlier runs are not this run's
    bool running_ = false;
    bool goOn_ = false;
    QStringList failures_; // "frame 3 of 12 (CFG-MSG): ACK-NAK", when going on past them
};
