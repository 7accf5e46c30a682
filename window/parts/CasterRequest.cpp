#include "window/parts/CasterRequest.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>

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
    QSslSocket* tls = caster.tls ? MakeTlsSocket() : nullptr;
    if (caster.tls && !tls)
        return;
    socket_ = tls ? tls : new QTcpSocket(this);
    const auto sendRequest = [this] {
        socket_->write(request_.data(), static_cast<qint64>(request_.size()));
    };
    // Over TLS the request waits for the handshake, so it never goes out unencrypted.
    if (tls)
        connect(tls, &QSslSocket::encrypted, this, sendRequest);
    else
        connect(socket_, &QTcpSocket::connected, this, sendRequest);
    connect(socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this] { SocketFailed(); });
    answerTimeout_.start(kAnswerTimeoutMs);
    const QString host = QString::fromStdString(caster.host);
    if (tls)
        tls->connectToHostEncrypted(host, static_cast<quint16>(caster.port));
    else
        socket_->connectToHost(host, static_cast<quint16>(caster.port));
}

QSslSocket* TCasterRequest::MakeTlsSocket() {
    if (!QSslSocket::supportsSsl()) {
        End(TEnd::Untrusted, "TLS is not available: no TLS library was found on this computer");
        return nullptr;
    }
    auto* socket = new QSslSocket(this);
    const QString extraCa = qEnvironmentVariable("ZEPO_NTRIP_EXTRA_CA");
    if (!extraCa.isEmpty()) {
        const QList<QSslCertificate> extra = QSslCertificate::fromPath(extraCa);
        if (extra.isEmpty()) {
            delete socket;
            End(TEnd::Untrusted,
                QString("ZEPO_NTRIP_EXTRA_CA names %1, which holds no certificate").arg(extraCa));
            return nullptr;
        }
        QSslConfiguration configuration = socket->sslConfiguration();
        configuration.addCaCertificates(extra);
        socket->setSslConfiguration(configuration);
    }
    // The errors are told when the handshake fails after them; the caster's
    // certificate is never accepted regardless.
    connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
        QStringList problems;
        for (const QSslError& error : errors)
            problems << error.errorString();
        certificateProblem_ = problems.join("; ");
    });
    return socket;
}

void TCasterRequest::Stop() {
    answerTimeout_.stop();
    if (!socket_)
        return;
    QTcpSocket* socket = std::exchange(socket_, nullptr);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void TCasterRequest::Send(const std::string& bytes) {
    if (socket_ && Streaming())
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void TCasterRequest::Read() {
    while (socket_ && socket_->bytesAvailable() > 0) {
        const QByteArray bytes = socket_->readAll();
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
        if (!data.empty() && socket_)
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

void TCasterRequest::SocketFailed() {
    if (!socket_)
        return;
    // What arrived before the close is read first: a sourcetable ends so,
    // and a refusal may come without the end of its headers.
    Read();
    const auto error = socket_ ? socket_->error() : QAbstractSocket::UnknownSocketError;
    if (socket_ && error == QAbstractSocket::RemoteHostClosedError &&
        response_.kind() == ntrip::Response::Kind::Waiting) {
        std::string data;
        response_.Close(data);
        if (response_.kind() != ntrip::Response::Kind::Waiting) {
            ReadAnswer(data);
            return;
        }
    }
    if (!socket_)
        return;
    if (response_.kind() == ntrip::Response::Kind::Sourcetable) {
        End(TEnd::Sourcetable, {});
        return;
    }
    if (error == QAbstractSocket::RemoteHostClosedError) {
        End(response_.kind() == ntrip::Response::Kind::Stream ? TEnd::Closed : TEnd::NotCaster,
            response_.kind() == ntrip::Response::Kind::Stream
                ? QString("%1 closed the connection").arg(Address())
                : QString("%1 closed the connection without an answer").arg(Address()));
        return;
    }
    QString cause;
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        cause = QString("%1: host not found").arg(QString::fromStdString(caster_.host));
        break;
    case QAbstractSocket::ConnectionRefusedError:
        cause = QString("%1 refused the connection (no caster listens there)").arg(Address());
        break;
    case QAbstractSocket::SslHandshakeFailedError:
        if (!certificateProblem_.isEmpty()) {
            End(TEnd::Untrusted, QString("%1: the caster's certificate is not trusted: %2")
                                     .arg(Address(), certificateProblem_));
            return;
        }
        cause = QString("%1: the TLS handshake failed (%2)").arg(Address(), socket_->errorString());
        break;
    default:
        cause = QString("%1: %2").arg(Address(), socket_->errorString());
    }
    End(Streaming() ? TEnd::Closed : TEnd::Unreachable, cause);
}

void TCasterRequest::End(TEnd end, const QString& message) {
    const std::string body = response_.Body();
    Stop();
    emit Ended(end, message, body);
}
