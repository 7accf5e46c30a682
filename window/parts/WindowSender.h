#pragma once
// The window's writes to the port. A write that ends within a moment behaves
// as a plain synchronous send: echoed, and its count reported, before the
// click's handler returns. One that cannot end so soon (a device that does
// not read) goes on in the background with its progress and a "Cancel"
// button in the status bar, so the window is never held; its echo and its
// count come when it ends, with exactly the bytes that were written.
// Sends go out one at a time, each whole, so the bytes of one never land
// inside another's: a click's send is refused while another goes on, a UBX
// command waits its turn behind it.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class TSendJob;
class TSerialPort;

class TWindowSender : public QObject {
    Q_OBJECT
public:
    using TEcho = std::function<void(const std::string& written)>;
    using TDone = std::function<void(std::uint32_t count)>;
    using TStarted = std::function<void()>;

    // The progress and "Cancel" go into bar; echo shows each write's bytes,
    // quietEcho takes those of quiet sends.
    TWindowSender(QStatusBar* bar, TSerialPort& port, TEcho echo, TEcho quietEcho = {});
    // Cancels a send still going on and waits for its end.
    ~TWindowSender() override;

    // As the port's sends of the same names: SendString writes up to the
    // first zero byte, SendChars nothing at all for no bytes, SendData every
    // byte and hands the count to done. Each throws the port's not-open
    // exception while closed, and refuses to start while a send goes on.
    void SendString(const std::string& str);
    void SendChars(const std::string& str);
    void SendData(const std::string& data, TDone done = {});
    // As SendData, for a stream of bytes the port log would drown in (the
    // corrections from a caster): its bytes go to quietEcho instead.
    void SendQuietly(const std::string& data, TDone done = {});

    // As SendData, but while a send goes on this one waits its turn instead
    // of being refused; sends waiting go out in the order they came. started
    // hears when its bytes begin to go out. When the port closed before its
    // turn, done hears 0 and started nothing.
    void SendInTurn(const std::string& data, TStarted started, TDone done);

    bool IsSending() const { return job_ != nullptr; }
    // Ends the send going on; what was written so far is echoed.
    void Cancel();

signals:
    // A send ended and no other goes on: the next may start.
    void Idle();

private:
    struct TTurn {
        std::string bytes;
        TStarted started;
        TDone done;
        bool quiet = false;
    };

    void Send(const std::string& bytes, TDone done, bool quiet = false);
    // Starts the turn's write (throws the port's not-open exception); true
    // when it ended within a click's wait, false when it goes on.
    bool Start(TTurn& turn);
    void ShowProgress();
    // The write in progress has ended: it is concluded, then the turns
    // waiting start until one goes on or none is left.
    void Finish();
    // Echoes the ended write and hands its count to its done.
    void Conclude();

    TSerialPort& port_;
    TEcho echo_;
    TEcho quietEcho_;
    std::shared_ptr<TSendJob> job_;
    std::deque<TTurn> waiting_; // only while job_ goes on
    TDone done_;
    bool quiet_ = false;
    QTimer progressTimer_;
    QLabel* lblSending;
    QProgressBar* pbSending;
    QPushButton* btnCancelSend;
};
