#pragma once
// The connection to an NTRIP caster, over TCP or TLS. Links are made by a
// module of their own (zepo-caster-link), loaded at the first request, so the
// window starts without Qt's network library and all it pulls in (Kerberos,
// proxy lookup, TLS). The module needs nothing of the program but this
// header: what crosses between them is this interface and the events.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>

class TCasterLink {
public:
    enum class TFailure {
        HostNotFound,
        ConnectionRefused,
        RemoteClosed,
        HandshakeFailed,
        Other,
    };
    struct TEvents {
        // Connected, and over TLS encrypted: the request may go.
        std::function<void()> ready;
        std::function<void()> readable;
        // With the socket's own description of the failure.
        std::function<void(TFailure failure, const QString& text)> failed;
        // Over TLS, why the caster's certificate was refused, told before
        // the handshake fails; the certificate is never accepted regardless.
        std::function<void(const QString& problems)> untrusted;
    };

    // Starts the name lookup and the connect; events follow from the event loop.
    virtual void Connect() = 0;
    // Ends the connection at once; no event follows. The link is freed once
    // control is back in the event loop, so it may close from its own event.
    virtual void Close() = 0;
    virtual void Write(const std::string& bytes) = 0;
    virtual QByteArray ReadAll() = 0;

protected:
    virtual ~TCasterLink() = default;
};

struct TCasterTarget {
    QString host;
    quint16 port = 0;
    bool tls = false;
};

// Why no link was made: the module could not be loaded, or, a TLS reason,
// TLS is not available here or the extra authorities named hold no
// certificate.
struct TCasterLinkRefusal {
    bool untrusted = false; // a TLS reason
    QString message;
};

// A link to target, not yet connecting; nullptr with refusal filled in when
// none can be made.
TCasterLink* MakeCasterLink(const TCasterTarget& target, TCasterLink::TEvents events,
                            TCasterLinkRefusal& refusal);

// The module's one entry, by this name.
using TMakeCasterLinkEntry = TCasterLink* (*)(const TCasterTarget& target,
                                              TCasterLink::TEvents events,
                                              TCasterLinkRefusal& refusal);
inline constexpr char MakeCasterLinkEntryName[] = "ZepoMakeCasterLink";
