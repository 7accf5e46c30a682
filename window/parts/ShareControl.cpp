#include "window/parts/ShareControl.h"

#include "serial/ShareServer.h"
#include "window/parts/SessionControl.h"
#include "window/parts/WindowSender.h"

#include <stdexcept>

TShareControl::TShareControl(QObject* parent, TSessionControl& session, TWindowSender& sender)
    : QObject(parent), session_(session), sender_(sender) {}

TShareControl::~TShareControl() {
    Stop();
}

void TShareControl::Start(const QString& address) {
    Stop();
    ShareServer::Options options;
    options.address = ParseShareAddress(address.trimmed().toStdString());
    // The server calls on its own thread; the window hears on its own.
    server_ = std::make_shared<ShareServer>(
        options,
        [this](const std::string& line) {
            QMetaObject::invokeMethod(this, [this, line = QString::fromStdString(line)] {
                emit Logged(line);
                ShowClients();
            });
        },
        [this](const std::string& bytes) {
            QMetaObject::invokeMethod(this, [this, bytes] { SendFromClient(bytes); });
        });
    server_->SetClientsMaySend(clientsMaySend_);
    session_.SetShareServer(server_);
    emit Logged("Share: listening on " + QString::fromStdString(server_->Address()));
    ShowClients();
}

void TShareControl::Stop() {
    if (!server_)
        return;
    session_.SetShareServer(nullptr);
    const QString address = QString::fromStdString(server_->Address());
    server_.reset();
    emit Logged("Share: stopped on " + address);
    ShowClients();
}

void TShareControl::SetClientsMaySend(bool allowed) {
    clientsMaySend_ = allowed;
    if (server_)
        server_->SetClientsMaySend(allowed);
}

void TShareControl::SendFromClient(const std::string& bytes) {
    // Bytes still on their way when sending was forbidden are not sent.
    if (!server_ || !clientsMaySend_)
        return;
    try {
        sender_.SendChars(bytes);
    } catch (const std::exception& error) {
        emit Logged(QString("Share: %1 bytes from a client not sent: %2")
                        .arg(bytes.size())
                        .arg(QString::fromLocal8Bit(error.what())));
    }
}

void TShareControl::ShowClients() {
    emit ClientsShown(server_ ? QString("Clients: %1").arg(server_->CurrentCounts().clients)
                              : QString());
}
