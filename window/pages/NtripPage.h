#pragma once
// The "NTRIP" page: the caster (host, port, TLS, user, password, NTRIP version)
// and the mountpoint; "Get Sourcetable" lists the caster's mountpoints,
// nearest to the rover first, and a double click picks one; "Connect" keeps
// the mountpoint's corrections flowing into the receiver, "Disconnect" ends
// it; the GGA sent to the caster every so many seconds, from the
// receiver's fix or a typed position; and the status: the connection,
// bytes received and per second, messages per type, the age of the last
// correction and the bytes written to the receiver. The fields are kept
// between runs.

#include "protocol/ntrip/Sourcetable.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TNtripControl;
struct TNtripSettings;
struct TNtripStatus;

class TNtripPage : public QWidget {
    Q_OBJECT
public:
    enum Column {
        ColMountpoint,
        ColIdentifier,
        ColFormat,
        ColDetails,
        ColCarrier,
        ColSystems,
        ColPosition,
        ColDistance,
        ColumnCount
    };

    TNtripPage(QWidget* parent, TNtripControl& control);

private:
    void Restore();
    // The fields as typed; throws with a message for the user when one is wrong.
    TNtripSettings Typed() const;
    void GetSourcetable();
    void ToggleConnection();
    void ApplyGga();
    void ShowSourcetable(const ntrip::Sourcetable& table);
    void ShowStatus(const TNtripStatus& status);
    void ShowFailure(const QString& message);

    TNtripControl& control_;
    QLineEdit* edNtripHost;
    QSpinBox* spNtripPort;
    QCheckBox* cbNtripTls;
    QLineEdit* edNtripUser;
    QLineEdit* edNtripPassword;
    QComboBox* cbNtripVersion;
    QLineEdit* edNtripMountpoint;
    QPushButton* btnNtripSourcetable;
    QPushButton* btnNtripConnect;
    QSpinBox* spNtripGga;
    QLineEdit* edNtripPosition;
    QLabel* lblNtripSourcetable;
    QTableWidget* tblNtripMountpoints;
    QLabel* lblNtripState;
    QLabel* lblNtripReceived;
    QLabel* lblNtripWritten;
    QLabel* lblNtripTypes;
};
