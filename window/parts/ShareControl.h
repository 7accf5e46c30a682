#pragma once
// Sharing the live stream in the window: runs the share server, fed by the
// session's tap on the reader's thread, and sends what clients send through
// the window's one sender (so it shows in the port log) while they may send
// to the receiver. What happens is told through the signals.

#include <QObject>
#include <QString>
#include <memory>
#include <string>

class ShareServer;
class TSessionControl;
class TWindowSender;

class TShareControl : public QObject {
    Q_OBJECT
public:
    TShareControl(QObject* parent, TSessionControl& session, TWindowSender& sender);
    // Stops sharing; the session must still exist.
    ~TShareControl() override;

    // Shares at "[ADDRESS:]PORT" (127.0.0.1 when no address is named), in
    // place of a share running; throws EShareAddress with a message for the
    // user when the text is no address or nothing can listen there.
    void Start(const QString& address);
    void Stop();
    bool Sharing() const { return server_ != nullptr; }
    void SetClientsMaySend(bool allowed);

signals:
    // "Share: 127.0.0.1:53122 connected", …, for the port log.
    void Logged(const QString& line);
    // The clients connected now ("Clients: 2"), or empty while not sharing.
    void ClientsShown(const QString& text);

private:
    void SendFromClient(const std::string& bytes);
    void ShowClients();

    TSessionControl& session_;
    TWindowSender& sender_;
    bool clientsMaySend_ = false;
    std::shared_ptr<ShareServer> server_;
};
