#include "window/pages/SharePanel.h"

#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/parts/ShareControl.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSharePanel::TSharePanel(QWidget* parent, TShareControl& share)
    : QGroupBox("Share", parent), share_(share) {
    setObjectName("gbShare");
    edShareAddress = MakeLineEdit(this, "edShareAddress", "5000");
    edShareAddress->setToolTip("[ADDRESS:]PORT to share the received data at; "
                               "without an address only programs on this computer connect");
    btnShare = MakeButton(this, "btnShare", "Share");
    cbShareSend = new QCheckBox("Clients may send to the receiver", this);
    cbShareSend->setObjectName("cbShareSend");
    lblShareClients = MakeLabel(this, "lblShareClients", "");

    // Two rows keep the page as narrow as its port log.
    auto* rows = new QGridLayout(this);
    rows->addWidget(edShareAddress, 0, 0);
    rows->addWidget(btnShare, 0, 1);
    rows->addWidget(lblShareClients, 0, 2);
    rows->addWidget(cbShareSend, 1, 0, 1, 3);
    rows->setColumnStretch(2, 1);

    connect(btnShare, &QPushButton::clicked, this, Guarded(this, [this] { Toggle(); }));
    connect(cbShareSend, &QCheckBox::toggled, this,
            [this](bool on) { share_.SetClientsMaySend(on); });
    connect(&share_, &TShareControl::ClientsShown, lblShareClients, &QLabel::setText);
}

void TSharePanel::ShareAt(const QString& address) {
    edShareAddress->setText(address);
    RunGuarded(this, [this] {
        share_.Stop();
        Toggle();
    });
}

QString TSharePanel::Address() const {
    return edShareAddress->text();
}

void TSharePanel::SetAddress(const QString& address) {
    edShareAddress->setText(address);
}

bool TSharePanel::ClientsMaySend() const {
    return cbShareSend->isChecked();
}

void TSharePanel::SetClientsMaySend(bool allowed) {
    cbShareSend->setChecked(allowed);
}

void TSharePanel::Toggle() {
    const bool start = !share_.Sharing();
    share_.Stop();
    ShowSharing();
    if (!start)
        return;
    share_.Start(edShareAddress->text());
    ShowSharing();
}

void TSharePanel::ShowSharing() {
    btnShare->setText(share_.Sharing() ? "Stop Sharing" : "Share");
    edShareAddress->setEnabled(!share_.Sharing());
}
