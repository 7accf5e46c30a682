#include "window/parts/CasterRequest.h"

namespace {
// How long the lookup, the connect and the caster's answer may take.
constexpr int kAnswerTimeoutMs = 10000;
} // namespace

TCasterRequest::TCasterRequest(QObject* parent, QString productVersion)
    : QObject(parent), productVersion_(std::move(productVersion)) {
    answerTimeout_.setSingleShot(true);
    connect(&answerTimeout_, &QTimer::timeout, this, [this] {
        End(TEnd::Unreachable,
            QString("%1 did not answer within %2 s").arg(Address()).arg(kAnswerTimeoutMs / 1000));
    });
}

TCasterRequest::~TCasterRequest() {
    Stop();
}

QString TCasterRequest::Address() const {
    return QString("%1:%2").arg(QString::fromStdString(caster_.host)).arg(caster_.port);
}

void TCasterRequest::Start(const ntrip::Caster& caster, const std::string& mountpoint,
                           const std::string& gga) {
    Stop();
    caster_ = caster;
    mountpoint_ = mountpoint;
    response_ = {};
    streamStarted_ = false;
    certificateProblem_.clear();
    request_ = ntrip::BuildRequest(caster, mountpoint, productVersion_.toStdString(), gga);
    TCasterLink::TEvents events;
    // Over TLS the request waits for the handshake, so it never goes out unencrypted.
    events.ready = [this] { link_->Write(request_); };
    events.readable = [this] { Read(); };
    events.failed = [this](TCasterLink::TFailure failure, const QString& text) {
        LinkFailed(failure, text);
    };
    events.untrusted = [this](const QString& problems) { certificateProblem_ = problems; };
    TCasterLinkRefusal refusal;
    link_ = MakeCasterLink(
        {QString::fromStdString(caster.host), static_cast<quint16>(caster.port), caster.tls},
        std::move(events), refusal);
    if (!link_) {
        End(refusal.untrusted ? TEnd::Untrusted : TEnd::Unavailable, refusal.message);
        return;
    }
    answerTimeout_.start(kAnswerTimeoutMs);
    link_->Connect();
}

void TCasterRequest::Stop() {
    answerTimeout_.stop();
    if (link_)
        std::exchange(link_, nullptr)->Close();
}

void TCasterRequest::Send(const std::string& bytes) {
    if (link_ && Streaming())
        link_->Write(bytes);
}

void TCasterRequest::Read() {
    while (link_) {
        const QByteArray bytes = link_->ReadAll();
        if (bytes.isEmpty())
            return;
        std::string data;
        response_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                       data);
        ReadAnswer(data);
    }
}

void TCasterRequest::ReadAnswer(const std::string& data) {
    using Kind = ntrip::Response::Kind;
    switch (response_.kind()) {
    case Kind::Waiting:
        return;
    case Kind::Stream:
        answerTimeout_.stop();
        if (!streamStarted_) {
            streamStarted_ = true;
            emit StreamStarted();
        }
        if (!data.empty() && link_)
            emit Data(data);
        return;
    case Kind::Sourcetable:
        answerTimeout_.stop();
        if (response_.Complete())
            End(TEnd::Sourcetable, {});
        return;
    case Kind::Refused:
        if (response_.StatusCode() == 401)
            End(TEnd::Unauthorized,
                caster_.user.empty()
                    ? QString("%1 asks for a user and password (%2)")
                          .arg(Address(), QString::fromStdString(response_.StatusLine()))
                    : QString("%1 refused user \"%2\" with this password (%3)")
                          .arg(Address(), QString::fromStdString(caster_.user),
                               QString::fromStdString(response_.StatusLine())));
        else
            End(response_.StatusCode() == 404 ? TEnd::NotFound : TEnd::Refused,
                QString("%1 refused the request for %2: %3")
                    .arg(
                        Address(),
                        mountpoint_.empty()
                            ? QString("its sourcetable")
                            : QString("mountpoint \"%1\"").arg(QString::fromStdString(mountpoint_)),
                        QString::fromStdString(response_.StatusLine())));
        return;
    case Kind::NotNtrip:
        End(TEnd::NotCaster, QString("%1 is no NTRIP caster: %2")
                                 .arg(Address(), QString::fromStdString(response_.Error())));
        return;
    }
}

void TCasterRequest::LinkFailed(TCasterLink::TFailure failure, const QString& text) {
    using Failure = TCasterLink::TFailure;
    if (!link_)
        return;
    // What arrived before the close is read first: a sourcetable ends so,
    // and a refusal may come without the end of its headers.
    Read();
    if (link_ && failure == Failure::RemoteClosed &&
        response_.kind() == ntrip::Response::Kind::Waiting) {
        std::string data;
        response_.Close(data);
        if (response_.kind() != ntrip::Response::Kind::Waiting) {
            ReadAnswer(data);
            return;
        }
    }
    if (!link_)
        return;
    if (response_.kind() == ntrip::Response::Kind::Sourcetable) {
        End(TEnd::Sourcetable, {});
        return;
    }
    if (failure == Failure::RemoteClosed) {
        End(response_.kind() == ntrip::Response::Kind::Stream ? TEnd::Closed : TEnd::NotCaster,
            response_.kind() == ntrip::Response::Kind::Stream
                ? QString("%1 closed the connection").arg(Address())
                : QString("%1 closed the connection without an answer").arg(Address()));
        return;
    }
    QString cause;
    switch (failure) {
    case Failure::HostNotFound:
        cause = QString("%1: host not found").arg(QString::fromStdString(caster_.host));
        break;
    case Failure::ConnectionRefused:
        cause = QString("%1 refused the connection (no caster listens there)").arg(Address());
        break;
    case Failure::HandshakeFailed:
        if (!certificateProblem_.isEmpty()) {
            End(TEnd::Untrusted, QString("%1: the caster's certificate is not trusted: %2")
                                     .arg(Address(), certificateProblem_));
            return;
        }
        cause = QString("%1: the TLS handshake failed (%2)").arg(Address(), text);
        break;
    default:
        cause = QString("%1: %2").arg(Address(), text);
    }
    End(Streaming() ? TEnd::Closed : TEnd::Unreachable, cause);
}

void TCasterRequest::End(TEnd end, const QString& message) {
    const std::string body = response_.Body();
    Stop();
    emit Ended(end, message, body);
}
