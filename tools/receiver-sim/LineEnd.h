#pragma once
// Where the simulated receiver's line ends on its own side, and whether a
// program holds the far end: the device side of a pseudo-terminal here, or a
// TCP connection (tools/receiver-sim/TcpLineEnd.h).

class LineEnd {
public:
    virtual ~LineEnd() = default;
    // Whether a program holds the far end now; asked at least every 50 ms.
    // A network end takes up a new connection here and lets go of one that
    // has ended.
    virtual bool CheckUp() = 0;
    // The non-blocking descriptor the receiver reads and writes while up.
    virtual int Fd() const = 0;
};

// The device side of a pseudo-terminal (not owned): up while a program holds
// the port side open.
class PtyLineEnd : public LineEnd {
public:
    explicit PtyLineEnd(int masterFd) : fd_(masterFd) {}
    bool CheckUp() override;
    int Fd() const override { return fd_; }

private:
    int fd_;
};
