#pragma once
// One request to an NTRIP caster over TCP, or TLS when the caster asks for
// it, on the GUI thread (Qt's socket never blocks it): the name lookup and
// connect, the request, the answer read as it arrives. A mountpoint's stream goes out as Data until
// the caster closes it or Stop; a sourcetable comes whole. How the request ended is told once, by
// Ended, with a line for the user.

#include "protocol/ntrip/NtripRequest.h"
#include "protocol/ntrip/NtripResponse.h"
#include "window/parts/CasterLink.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <string>

class TCasterRequest : public QObject {
    Q_OBJECT
public:
    // How a request ended.
    enum class TEnd {
        Sourcetable,  // the caster sent its sourcetable (wanted or not)
        Unauthorized, // 401
        NotFound,     // 404: no such mountpoint
        Refused,      // another status
        Unreachable,  // host not found, connection refused, no answer in time
        Closed,       // the caster closed the stream or the link broke
        NotCaster,    // the answer is none a caster gives
        Untrusted,    // TLS: the caster's certificate is not trusted, or no TLS here
        Unavailable,  // no connection can be made here: the network module is missing
    };

    TCasterRequest(QObject* parent, QString productVersion);
    ~TCasterRequest() override;

    // Asks for mountpoint's stream, or the sourcetable when it is empty; a
    // request going on is stopped first. gga rides in an NTRIP 2 request.
    void Start(const ntrip::Caster& caster, const std::string& mountpoint,
               const std::string& gga = {});
    // Ends the request without telling Ended.
    void Stop();
    bool Running() const { return link_ != nullptr; }
    bool Streaming() const { return streamStarted_; }
    // Writes to the caster while the stream runs (the GGA uplink).
    void Send(const std::string& bytes);

signals:
    void StreamStarted();
    void Data(const std::string& bytes);
    // end with the line for the user; body is the sourcetable's text.
    void Ended(TCasterRequest::TEnd end, const QString& message, const std::string& body);

private:
    void Read();
    // Acts on the answer as far as it came; data is the stream's new bytes.
    void ReadAnswer(const std::string& data);
    void End(TEnd end, const QString& message);
    void LinkFailed(TCasterLink::TFailure failure, const QString& text);
    QString Address() const;

    const QString productVersion_;
    ntrip::Caster caster_;
    std::string mountpoint_;
    std::string request_;
    TCasterLink* link_ = nullptr;
    ntrip::Response response_;
    bool streamStarted_ = false;
    QString certificateProblem_; // why the caster's certificate was refused
    QTimer answerTimeout_;
};
