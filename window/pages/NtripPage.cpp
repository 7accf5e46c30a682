#include "window/pages/NtripPage.h"

#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/parts/NtripControl.h"
#include "window/parts/NtripSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {
constexpr int kMaxGgaSeconds = 60;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// "48.1173, 11.5167[, 545]": latitude and longitude in degrees, the height
// above mean sea level in metres; none for an empty text.
std::optional<ntrip::GgaFix> TypedPosition(const QString& typed) {
    if (typed.trimmed().isEmpty())
        return std::nullopt;
    const QStringList parts = typed.split(',');
    std::vector<double> numbers;
    for (const QString& part : parts) {
        bool ok = false;
        numbers.push_back(part.trimmed().toDouble(&ok));
        if (!ok || !std::isfinite(numbers.back()))
            numbers.clear();
        if (numbers.empty())
            break;
    }
    if ((numbers.size() != 2 && numbers.size() != 3) || std::fabs(numbers[0]) > 90 ||
        std::fabs(numbers[1]) > 180)
        throw std::runtime_error(
            "\"" + typed.toStdString() +
            "\" is no position: type latitude, longitude and, if you like, the height in "
            "degrees and metres, as 48.1173, 11.5167, 545 (south and west negative)");
    ntrip::GgaFix fix;
    fix.latitudeDeg = numbers[0];
    fix.longitudeDeg = numbers[1];
    fix.heightMslM = numbers.size() == 3 ? numbers[2] : 0;
    return fix;
}

QString Age(const std::optional<double>& seconds) {
    if (!seconds)
        return "none yet";
    return QString("%1 s ago").arg(*seconds, 0, 'f', 1);
}

QLineEdit* MakeField(QWidget* parent, const QString& name, const QString& text,
                     const QString& placeholder) {
    QLineEdit* edit = MakeLineEdit(parent, name, text);
    edit->setPlaceholderText(placeholder);
    return edit;
}
} // namespace

TNtripPage::TNtripPage(QWidget* parent, TNtripControl& control)
    : QWidget(parent), control_(control) {
    setObjectName("tabNtrip");
    edNtripHost = MakeField(this, "edNtripHost", "", "caster.example.org");
    spNtripPort = new QSpinBox(this);
    spNtripPort->setObjectName("spNtripPort");
    spNtripPort->setRange(1, 65535);
    cbNtripTls = new QCheckBox("TLS", this);
    cbNtripTls->setObjectName("cbNtripTls");
    cbNtripTls->setToolTip("The caster speaks NTRIP over TLS (HTTPS), as on ports 443 and 2102");
    edNtripUser = MakeField(this, "edNtripUser", "", "none");
    edNtripPassword = MakeField(this, "edNtripPassword", "", "");
    edNtripPassword->setEchoMode(QLineEdit::Password);
    cbNtripVersion = new QComboBox(this);
    cbNtripVersion->setObjectName("cbNtripVersion");
    cbNtripVersion->addItems({"NTRIP 1", "NTRIP 2"});
    edNtripMountpoint = MakeField(this, "edNtripMountpoint", "", "pick from the sourcetable");
    btnNtripSourcetable = MakeButton(this, "btnNtripSourcetable", "Get Sourcetable");
    btnNtripConnect = MakeButton(this, "btnNtripConnect", "Connect");
    spNtripGga = new QSpinBox(this);
    spNtripGga->setObjectName("spNtripGga");
    spNtripGga->setRange(0, kMaxGgaSeconds);
    spNtripGga->setSuffix(" s");
    spNtripGga->setSpecialValueText("Off");
    spNtripGga->setToolTip("How often the caster is told where the receiver is (GGA)");
    edNtripPosition = MakeField(this, "edNtripPosition", "",
                                "the receiver's fix, or latitude, longitude[, height]");
    lblNtripSourcetable = MakeLabel(this, "lblNtripSourcetable", "");
    tblNtripMountpoints = new QTableWidget(0, ColumnCount, this);
    tblNtripMountpoints->setObjectName("tblNtripMountpoints");
    tblNtripMountpoints->setHorizontalHeaderLabels({"Mountpoint", "Identifier", "Format", "Details",
                                                    "Carrier", "Systems", "Position", "Distance"});
    tblNtripMountpoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblNtripMountpoints->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblNtripMountpoints->setSelectionMode(QAbstractItemView::SingleSelection);
    tblNtripMountpoints->verticalHeader()->hide();
    tblNtripMountpoints->horizontalHeader()->setStretchLastSection(true);
    tblNtripMountpoints->setToolTip("Double-click a mountpoint to pick it");
    lblNtripState = MakeLabel(this, "lblNtripState", "Off");
    lblNtripState->setWordWrap(true);
    lblNtripReceived = MakeLabel(this, "lblNtripReceived", "");
    lblNtripWritten = MakeLabel(this, "lblNtripWritten", "");
    lblNtripTypes = MakeLabel(this, "lblNtripTypes", "");
    lblNtripTypes->setWordWrap(true);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel("Caster:", this), 0, 0);
    fields->addWidget(edNtripHost, 0, 1);
    fields->addWidget(new QLabel("Port:", this), 0, 2);
    auto* portAndTls = new QHBoxLayout;
    portAndTls->addWidget(spNtripPort, 1);
    portAndTls->addWidget(cbNtripTls);
    fields->addLayout(portAndTls, 0, 3);
    fields->addWidget(cbNtripVersion, 0, 4);
    fields->addWidget(btnNtripSourcetable, 0, 5);
    fields->addWidget(new QLabel("User:", this), 1, 0);
    fields->addWidget(edNtripUser, 1, 1);
    fields->addWidget(new QLabel("Password:", this), 1, 2);
    fields->addWidget(edNtripPassword, 1, 3, 1, 2);
    fields->addWidget(new QLabel("Mountpoint:", this), 2, 0);
    fields->addWidget(edNtripMountpoint, 2, 1);
    fields->addWidget(new QLabel("GGA every:", this), 2, 2);
    fields->addWidget(spNtripGga, 2, 3);
    fields->addWidget(btnNtripConnect, 2, 5);
    fields->addWidget(new QLabel("Position:", this), 3, 0);
    fields->addWidget(edNtripPosition, 3, 1, 1, 4);
    fields->setColumnStretch(1, 1);
    auto* page = new QVBoxLayout(this);
    page->addLayout(fields);
    page->addWidget(lblNtripSourcetable);
    page->addWidget(tblNtripMountpoints, 1);
    for (QLabel* label : {lblNtripState, lblNtripReceived, lblNtripWritten, lblNtripTypes})
        page->addWidget(label);

    Restore();
    // The ports casters serve TLS on; a kept choice is not overturned by Restore.
    connect(spNtripPort, &QSpinBox::valueChanged, this, [this](int port) {
        if (port == 443 || port == 2102)
            cbNtripTls->setChecked(true);
    });
    connect(btnNtripSourcetable, &QPushButton::clicked, this,
            Guarded(this, [this] { GetSourcetable(); }));
    connect(btnNtripConnect, &QPushButton::clicked, this,
            Guarded(this, [this] { ToggleConnection(); }));
    connect(spNtripGga, &QSpinBox::valueChanged, this, Guarded(this, [this] { ApplyGga(); }));
    connect(edNtripPosition, &QLineEdit::editingFinished, this,
            Guarded(this, [this] { ApplyGga(); }));
    connect(tblNtripMountpoints, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        edNtripMountpoint->setText(tblNtripMountpoints->item(row, ColMountpoint)->text());
    });
    connect(&control_, &TNtripControl::SourcetableReceived, this, &TNtripPage::ShowSourcetable);
    connect(&control_, &TNtripControl::StatusChanged, this, &TNtripPage::ShowStatus);
    connect(&control_, &TNtripControl::Failed, this, &TNtripPage::ShowFailure);
    ShowStatus(control_.Status());
}

void TNtripPage::Restore() {
    const TNtripSettings kept = RestoreNtripSettings();
    edNtripHost->setText(kept.Host);
    spNtripPort->setValue(kept.Port);
    cbNtripTls->setChecked(kept.Tls);
    edNtripUser->setText(kept.User);
    edNtripPassword->setText(kept.Password);
    edNtripMountpoint->setText(kept.Mountpoint);
    cbNtripVersion->setCurrentIndex(kept.Version == 2 ? 1 : 0);
    spNtripGga->setValue(std::clamp(kept.GgaSeconds, 0, kMaxGgaSeconds));
    edNtripPosition->setText(kept.Position);
}

TNtripSettings TNtripPage::Typed() const {
    TNtripSettings typed;
    typed.Host = edNtripHost->text().trimmed();
    if (typed.Host.isEmpty())
        throw std::runtime_error("Type the caster's host name or address first");
    typed.Port = spNtripPort->value();
    typed.Tls = cbNtripTls->isChecked();
    typed.User = edNtripUser->text().trimmed();
    typed.Password = edNtripPassword->text();
    typed.Mountpoint = edNtripMountpoint->text().trimmed();
    typed.Version = cbNtripVersion->currentIndex() == 1 ? 2 : 1;
    typed.GgaSeconds = spNtripGga->value();
    typed.Position = edNtripPosition->text().trimmed();
    TypedPosition(typed.Position); // refused here, before anything starts
    return typed;
}

namespace {
ntrip::Caster CasterOf(const TNtripSettings& settings) {
    return {settings.Host.toStdString(),
            settings.Port,
            settings.User.toStdString(),
            settings.Password.toStdString(),
            settings.Version == 2 ? ntrip::Version::V2 : ntrip::Version::V1,
            settings.Tls};
}
} // namespace

void TNtripPage::GetSourcetable() {
    const TNtripSettings typed = Typed();
    ApplyGga(); // the typed position gives the distances
    lblNtripSourcetable->setText(
        QString("Asking %1:%2 for its sourcetable…").arg(typed.Host).arg(typed.Port));
    control_.FetchSourcetable(CasterOf(typed));
    StoreNtripSettings(typed);
}

void TNtripPage::ToggleConnection() {
    if (control_.Active()) {
        control_.Disconnect();
        btnNtripConnect->setText("Connect");
        return;
    }
    const TNtripSettings typed = Typed();
    ApplyGga();
    control_.Connect(CasterOf(typed), typed.Mountpoint.toStdString());
    btnNtripConnect->setText("Disconnect");
    StoreNtripSettings(typed);
}

void TNtripPage::ApplyGga() {
    control_.SetTypedPosition(TypedPosition(edNtripPosition->text()));
    control_.SetGgaInterval(spNtripGga->value());
}

void TNtripPage::ShowSourcetable(const ntrip::Sourcetable& table) {
    const std::optional<ntrip::GgaFix> rover = control_.CurrentFix();
    struct Row {
        const ntrip::StreamRecord* stream;
        std::optional<double> distanceKm;
    };
    std::vector<Row> rows;
    for (const ntrip::StreamRecord& stream : table.streams) {
        std::optional<double> distance;
        if (rover && stream.latitudeDeg && stream.longitudeDeg)
            distance = ntrip::DistanceKm(rover->latitudeDeg, rover->longitudeDeg,
                                         *stream.latitudeDeg, *stream.longitudeDeg);
        rows.push_back({&stream, distance});
    }
    // Nearest first; those without a position keep the caster's order after them.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.distanceKm && (!b.distanceKm || *a.distanceKm < *b.distanceKm);
    });
    tblNtripMountpoints->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ntrip::StreamRecord& s = *rows[r].stream;
        const QString position =
            s.latitudeDeg && s.longitudeDeg
                ? QString("%1, %2").arg(*s.latitudeDeg, 0, 'f', 2).arg(*s.longitudeDeg, 0, 'f', 2)
                : QString();
        const QString distance =
            rows[r].distanceKm ? QString("%1 km").arg(*rows[r].distanceKm, 0, 'f', 1) : QString();
        const QString cells[ColumnCount] = {Text(s.mountpoint),
                                            Text(s.identifier),
                                            Text(s.format),
                                            Text(s.formatDetails),
                                            Text(ntrip::CarrierText(s.carrier)),
                                            Text(s.navSystems),
                                            position,
                                            distance};
        for (int c = 0; c < ColumnCount; ++c)
            tblNtripMountpoints->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    tblNtripMountpoints->resizeColumnsToContents();
    lblNtripSourcetable->setText(
        QString("Sourcetable: %1 mountpoints%2")
            .arg(rows.size())
            .arg(rover ? QString(", nearest first") : QString(" (no position yet to sort by)")));
}

void TNtripPage::ShowStatus(const TNtripStatus& status) {
    lblNtripState->setText(status.State);
    btnNtripConnect->setText(control_.Active() ? "Disconnect" : "Connect");
    lblNtripReceived->setText(QString("Received: %1 bytes, %2 bytes/s; last correction: %3")
                                  .arg(status.Bytes)
                                  .arg(status.BytesPerSecond, 0, 'f', 0)
                                  .arg(Age(status.AgeSeconds)));
    lblNtripWritten->setText(
        QString("Written to the receiver: %1 bytes%2%3")
            .arg(status.Written)
            .arg(status.NotWritten > 0 ? QString("; not written (port closed or busy): %1 bytes")
                                             .arg(status.NotWritten)
                                       : QString())
            .arg(status.HeldBack > 0
                     ? QString("; held back as no corrections (NMEA, UBX answers): %1 messages")
                           .arg(status.HeldBack)
                     : QString()));
    lblNtripTypes->setText(status.Types.isEmpty() ? QString() : "Messages: " + status.Types);
}

void TNtripPage::ShowFailure(const QString& message) {
    lblNtripSourcetable->setText(message);
    btnNtripConnect->setText(control_.Active() ? "Disconnect" : "Connect");
}
