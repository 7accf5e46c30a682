// The module that makes caster links with Qt's sockets; the only code of the
// window that links Qt's network library. Loaded by MakeCasterLink.

#include "window/parts/CasterLink.h"

#include <QObject>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>

namespace {
class TQtCasterLink final : public QObject, public TCasterLink {
public:
    TQtCasterLink(const TCasterTarget& target, TEvents events, QTcpSocket* socket)
        : target_(target), events_(std::move(events)), socket_(socket) {
        socket_->setParent(this);
        auto* tls = qobject_cast<QSslSocket*>(socket_);
        if (tls) {
            connect(tls, &QSslSocket::encrypted, this, [this] { events_.ready(); });
            connect(tls, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
                QStringList problems;
                for (const QSslError& error : errors)
                    problems << error.errorString();
                events_.untrusted(problems.join("; "));
            });
        } else {
            connect(socket_, &QTcpSocket::connected, this, [this] { events_.ready(); });
        }
        connect(socket_, &QTcpSocket::readyRead, this, [this] { events_.readable(); });
        connect(socket_, &QTcpSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) {
                    events_.failed(Failure(error), socket_->errorString());
                });
    }

    void Connect() override {
        if (auto* tls = qobject_cast<QSslSocket*>(socket_))
            tls->connectToHostEncrypted(target_.host, target_.port);
        else
            socket_->connectToHost(target_.host, target_.port);
    }

    void Close() override {
        socket_->disconnect(this);
        socket_->abort();
        deleteLater();
    }

    void Write(const std::string& bytes) override {
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    QByteArray ReadAll() override { return socket_->readAll(); }

private:
    static TFailure Failure(QAbstractSocket::SocketError error) {
        switch (error) {
        case QAbstractSocket::HostNotFoundError:
            return TFailure::HostNotFound;
        case QAbstractSocket::ConnectionRefusedError:
            return TFailure::ConnectionRefused;
        case QAbstractSocket::RemoteHostClosedError:
            return TFailure::RemoteClosed;
        case QAbstractSocket::SslHandshakeFailedError:
            return TFailure::HandshakeFailed;
        default:
            return TFailure::Other;
        }
    }

    const TCasterTarget target_;
    const TEvents events_;
    QTcpSocket* const socket_;
};

// A socket that speaks TLS, trusting also the certificates in the file
// ZEPO_NTRIP_EXTRA_CA names (a private caster's own authority).
QSslSocket* MakeTlsSocket(TCasterLinkRefusal& refusal) {
    refusal.untrusted = true;
    if (!QSslSocket::supportsSsl()) {
        refusal.message = "TLS is not available: no TLS library was found on this computer";
        return nullptr;
    }
    auto* socket = new QSslSocket;
    const QString extraCa = qEnvironmentVariable("ZEPO_NTRIP_EXTRA_CA");
    if (!extraCa.isEmpty()) {
        const QList<QSslCertificate> extra = QSslCertificate::fromPath(extraCa);
        if (extra.isEmpty()) {
            delete socket;
            refusal.message =
                QString("ZEPO_NTRIP_EXTRA_CA names %1, which holds no certificate").arg(extraCa);
            return nullptr;
        }
        QSslConfiguration configuration = socket->sslConfiguration();
        configuration.addCaCertificates(extra);
        socket->setSslConfiguration(configuration);
    }
    return socket;
}
} // namespace

extern "C" Q_DECL_EXPORT TCasterLink* ZepoMakeCasterLink(const TCasterTarget& target,
                                                         TCasterLink::TEvents events,
                                                         TCasterLinkRefusal& refusal) {
    QTcpSocket* socket = target.tls ? MakeTlsSocket(refusal) : new QTcpSocket;
    return socket ? new TQtCasterLink(target, std::move(events), socket) : nullptr;
}
static_assert(std::is_same_v<decltype(&ZepoMakeCasterLink), TMakeCasterLinkEntry>);
