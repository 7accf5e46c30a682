#pragma once
// Network sources named like ports: a receiver behind a serial-to-network
// bridge or on another machine.
//
//   tcp://HOST:PORT               connect to HOST
//   rfc2217://HOST:PORT           connect to a bridge's telnet com port
//                                 (RFC 2217): the line settings set its line
//   tcp-listen://:PORT            wait for one receiver to connect in
//   tcp://:PORT                   the same
//   udp://:PORT                   receive datagrams on PORT; what is sent goes
//                                 to the last sender
//   udp://:PORT@HOST:PORT2        the same, sending to HOST:PORT2
//
// A listening or receiving source may name the local address to use
// (tcp-listen://127.0.0.1:4001) as numbers; IPv6 addresses go in brackets.

#include <optional>
#include <string>

struct NetworkSource {
    enum class Kind { TcpClient, TcpServer, Udp, Rfc2217 };
    Kind kind = Kind::TcpClient;
    // The host to reach (TcpClient, Rfc2217) or the local address (empty: all).
    std::string host;
    std::string port;
    // Where UDP datagrams are sent; empty host: to the last sender.
    std::string peerHost;
    std::string peerPort;
};

// True for a name that starts like a network source, valid or not.
bool IsNetworkSourceName(const std::string& name);

// True for an RFC 2217 source, the one whose line settings apply.
bool CarriesLineSettings(const std::string& name);

// The source a name describes; nothing, with error set to a message for the
// user, when it is malformed.
std::optional<NetworkSource> ParseNetworkSource(const std::string& name, std::string& error);
