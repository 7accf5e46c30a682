#pragma once
// The network side of a device opened by a network source name
// (serial/NetworkSource.h): it binds the local socket of a listening or
// receiving source at once, so that a port in use is refused by the open;
// it then establishes the link on the reader's thread (the name lookup, the
// connect, the wait for a receiver to connect in), where it can take its
// time and is given up as soon as one of the cancel descriptors becomes
// readable. It reads and writes the established socket, and keeps where UDP
// datagrams go and why the link ended, as one line for the user. An RFC 2217
// source speaks telnet on its socket (serial/TelnetComPort.h): the line
// settings given before the link stands go out as soon as it does.

#include "serial/NetworkSource.h"
#include "serial/TelnetComPort.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <vector>

class NetworkLink {
public:
    // Null, with error set to the cause, when the name is malformed or the
    // local socket cannot be bound. A send that must finish what it began
    // gives up once cancelFd becomes readable.
    static std::unique_ptr<NetworkLink> Prepare(const std::string& name, int cancelFd,
                                                std::string& error);
    ~NetworkLink();
    NetworkLink(const NetworkLink&) = delete;
    NetworkLink& operator=(const NetworkLink&) = delete;

    // Waits until the link stands and hands over its descriptor (the caller
    // closes it). -1 when it failed (Failure says why) or when one of
    // cancelFds became readable (nothing to say).
    int Establish(const std::vector<int>& cancelFds);
    // Closes what Establish has not handed over (a listening socket).
    void Release();

    // As a terminal's read: the count read, 0 when nothing waits, -1 when the
    // link is gone (the peer closed it, it broke).
    long Receive(int fd, char* buffer, std::size_t size);
    // As write(2), without the signal of a peer that has gone away; a
    // datagram carries at most a typical network packet's load.
    long Send(int fd, const char* data, std::size_t size);
    // Sets the far line of an RFC 2217 source, now or once the link stands;
    // other sources have no line to set. A link that broke meanwhile is
    // told of by its reader, as any loss.
    void ApplyLineSettings(const LineSettings& settings);
    // The modem lines an RFC 2217 bridge told of; empty for other sources.
    TLineStatusSet ModemLines() const;
    // Notes why the link ended from the socket's pending error, unless a
    // cause is known already.
    void NoteHangUp(int fd);

    // "NAME: cause" once the link failed or ended by itself; else empty.
    std::string Failure() const;

private:
    NetworkLink(std::string name, NetworkSource source, int localFd, int cancelFd);
    int Connect(const std::vector<int>& cancelFds);
    int Accept(const std::vector<int>& cancelFds);
    int StartReceiving(const std::vector<int>& cancelFds);
    void Fail(const std::string& cause);
    // Telnet: data with its 0xFF bytes doubled, at most a chunk of it.
    long SendTelnet(int fd, const char* data, std::size_t size);
    // Sends all of bytes, waiting for room; false when the link failed or
    // the wait was cancelled. Called with sendMutex_ held.
    bool SendWhole(int fd, const std::string& bytes);

    const std::string name_;
    const NetworkSource source_;
    int localFd_; // the listening or receiving socket until handed over
    mutable std::mutex mutex_;
    std::string failure_;
    // Where datagrams go: the fixed peer, else the last sender; none yet
    // while the length is 0.
    sockaddr_storage target_{};
    socklen_t targetLength_ = 0;
    bool fixedTarget_ = false;
    const int cancelFd_;
    // RFC 2217: the telnet state, the line settings to send and the socket
    // they go to once it stands; sendMutex_ keeps a command whole among data.
    std::unique_ptr<TelnetComPort> telnet_;
    std::optional<LineSettings> lineSettings_;
    int telnetFd_ = -1;
    std::mutex sendMutex_;
};
