#pragma once
// The "Share" panel of the ComPort page: the address to share the live
// stream at ("5000", "0.0.0.0:5000"), "Share" and "Stop Sharing", whether
// clients may send to the receiver, and how many clients are connected.

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TShareControl;

class TSharePanel : public QGroupBox {
    Q_OBJECT
public:
    TSharePanel(QWidget* parent, TShareControl& share);

    // Shares at address as typed and clicked; a failure shows the error box.
    void ShareAt(const QString& address);
    // The address and the "Clients may send" check, as kept between runs.
    QString Address() const;
    void SetAddress(const QString& address);
    bool ClientsMaySend() const;
    void SetClientsMaySend(bool allowed);

private:
    void Toggle();
    void ShowSharing();

    TShareControl& share_;
    QLineEdit* edShareAddress;
    QPushButton* btnShare;
    QCheckBox* cbShareSend;
    QLabel* lblShareClients;
};
