#include "window/pages/NmeaStandardPage.h"

#include "protocol/ByteList.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/RadioGroup.h"
#include "window/blocks/SendableText.h"
#include "window/blocks/TextPane.h"
#include "window/parts/WindowSender.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QStringList NmeaWatchItems = {
    "    Watch Off",        "DTM DatumRef    p.47", "GBS SatFault    p.48", "GGA SysFix      p.49",
    "GLL Lat/Lon     p.50", "GNS FixData     p.52", "GRS RngRisidul  p.53", "GSA ActiveSats  p.54",
    "GST RangeError  p.55", "GSV SatsInView  p.56", "RMC RecomdMin   p.57", "TXT TextXmiss   p.58",
    "VTG Course      p.59", "ZDA Time/Date   p.60"};

// True when the key's character is to be discarded from the byte list: every
// character but "0"–"9" and "#", control characters (Backspace, Enter,
// Ctrl+letter) included. Keys without a character (Delete, arrows) and Tab
// pass.
bool DiscardedFromByteList(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    if (key.modifiers().testFlag(Qt::ControlModifier) && key.key() >= Qt::Key_A &&
        key.key() <= Qt::Key_Z)
        return true;
    const QString typed = key.text();
    if (typed.isEmpty())
        return false;
    const QChar character = typed.front();
    const bool allowed =
        typed.size() == 1 && ((character >= u'0' && character <= u'9') || character == u'#');
    return !allowed;
}
} // namespace

TNmeaStandardPage::TNmeaStandardPage(QWidget* parent, TWindowSender& sender)
    : QWidget(parent), sender_(sender) {
    setObjectName("tabNMEA");
    pnlControls = new QFrame(this);
    pnlControls->setObjectName("pnlControls");
    SetBackground(pnlControls, ColorBtnShadow);
    edSentStr = MakeLineEdit(pnlControls, "edSentStr");
    btnSendStr = MakeButton(pnlControls, "btnSendStr", "Send String");
    edSentBytes = MakeLineEdit(pnlControls, "edSentBytes");
    edSentBytes->setToolTip("#byte1#byte2...");
    btnSendBytes = MakeButton(pnlControls, "btnSendBytes", "Send Bytes");
    rgMode = new TRadioGroup(pnlControls, "rgMode", "View",
                             {"ASCII", "Decimal", "Hexa", "NMEA", "UBX"}, 0);
    cbSkip = new QCheckBox("Stop Output", pnlControls);
    cbSkip->setObjectName("cbSkip");
    btnStep = MakeButton(pnlControls, "btnStep", "Show Current");
    cbNMEAWatch = MakeDropDown(pnlControls, "cbNMEAWatch", NmeaWatchItems, "Watch", true);
    moNMEAWatch = MakeTextPane(pnlControls, "moNMEAWatch");
    LayOut();
    Connect();
}

void TNmeaStandardPage::Connect() {
    connect(btnSendStr, &QPushButton::clicked, this,
            Guarded(this, [this] { SendStringClicked(); }));
    connect(btnSendBytes, &QPushButton::clicked, this,
            Guarded(this, [this] { SendBytesClicked(); }));
    edSentBytes->installEventFilter(this);
    connect(rgMode, &TRadioGroup::ItemIndexChanged, this,
            [this](int index) { emit ViewChanged(static_cast<ViewMode>(index)); });
    connect(cbNMEAWatch, &QComboBox::currentTextChanged, this,
            &TNmeaStandardPage::NmeaWatchChanged);
    connect(cbSkip, &QCheckBox::toggled, this, &TNmeaStandardPage::StopOutputChanged);
    connect(cbSkip, &QCheckBox::clicked, this, &TNmeaStandardPage::StopOutputClicked);
    connect(btnStep, &QPushButton::clicked, this, &TNmeaStandardPage::ShowCurrentClicked);
}

ViewMode TNmeaStandardPage::View() const {
    return static_cast<ViewMode>(rgMode->ItemIndex());
}

QString TNmeaStandardPage::NmeaWatch() const {
    return cbNMEAWatch->currentText();
}

void TNmeaStandardPage::ShowWatchLine(const QString& line) {
    InsertFirstLine(moNMEAWatch, line);
}

void TNmeaStandardPage::SendStringClicked() {
    sender_.SendString(SendableText(edSentStr->text() + "\r\n"));
}

void TNmeaStandardPage::SendBytesClicked() {
    // Pasted text may hold characters the key filter keeps out; they never
    // read as digits, so Latin-1's "?" for them changes nothing.
    sender_.SendChars(ParseByteList(edSentBytes->text().toLatin1().toStdString()));
}

bool TNmeaStandardPage::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the cheaper test for most events.
    if (event->type() == QEvent::KeyPress && watched == edSentBytes)
        return DiscardedFromByteList(*static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void TNmeaStandardPage::LayOut() {
    auto* sending = new QGridLayout;
    sending->addWidget(edSentStr, 0, 0);
    sending->addWidget(btnSendStr, 0, 1);
    sending->addWidget(edSentBytes, 1, 0);
    sending->addWidget(btnSendBytes, 1, 1);
    sending->setColumnMinimumWidth(0, 260);
    sending->setRowStretch(2, 1);

    auto* output = new QVBoxLayout;
    output->addWidget(cbSkip);
    output->addWidget(btnStep);
    output->addStretch();

    auto* watch = new QVBoxLayout;
    watch->addWidget(cbNMEAWatch);
    watch->addWidget(moNMEAWatch, 1);

    auto* panel = new QHBoxLayout(pnlControls);
    panel->addLayout(sending);
    panel->addWidget(rgMode);
    panel->addLayout(output);
    panel->addLayout(watch, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(pnlControls);
}
