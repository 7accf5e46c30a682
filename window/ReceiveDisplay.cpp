#include "window/ReceiveDisplay.h"

#include "protocol/ReceiveView.h"
#include "widgets/LedIndicator.h"
#include "window/ChunkExcerpt.h"
#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/NmeaPubxPage.h"
#include "window/NmeaStandardPage.h"
#include "window/RadioGroup.h"
#include "window/TextPane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {
QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}
} // namespace

TReceiveDisplay::TReceiveDisplay(QWidget* window, QPlainTextEdit* data, QLabel* watchPanel,
                                 TComPortPage* comPort, TNmeaStandardPage* nmea,
                                 TNmeaPubxPage* pubx)
    : QObject(window), window_(window), moData(data), watchPanel_(watchPanel), comPort_(comPort),
      nmea_(nmea), pubx_(pubx) {
    connect(nmea_->cbSkip, &QCheckBox::clicked, this, Guarded(window, [this] { cbSkipClick(); }));
    connect(nmea_->btnStep, &QPushButton::clicked, this,
            Guarded(window, [this] { btnStepClick(); }));
}

void TReceiveDisplay::cbSkipClick() {
    Skip = nmea_->cbSkip->isChecked();
}

void TReceiveDisplay::portSerialReceive(const std::string& Buffer) {
    comPort_->ledDataIn->SetChecked(!comPort_->ledDataIn->Checked());

    const auto mode = static_cast<ViewMode>(nmea_->rgMode->ItemIndex());
    const TChunkDisplay display =
        DecodeShownChunk(Buffer, mode, Latin1Bytes(nmea_->cbNMEAWatch->currentText()),
                         Latin1Bytes(pubx_->cbPUBXWatch->currentText()), textFilter_);

    for (const std::string& line : display.PubxWatchLines)
        InsertFirstLine(pubx_->moUBXWatch, Latin1(line));
    if (display.FoundUbx)
        ShowFoundUbx();
    if (!Skip && display.DataLines) {
        QStringList lines;
        for (const std::string& line : *display.DataLines)
            lines << Latin1(line);
        SetLines(moData, lines);
    }
    for (const std::string& line : display.NmeaWatchLines) {
        watchPanel_->setText(Latin1(line));
        InsertFirstLine(nmea_->moNMEAWatch, Latin1(line));
    }
    if (mode == ViewMode::vmNMEA)
        Skip = nmea_->cbSkip->isChecked();
}

void TReceiveDisplay::ShowFoundUbx() {
    if (foundUbx_)
        return;
    foundUbx_ = new QMessageBox(QMessageBox::NoIcon, ApplicationTitle,
                                QString::fromLatin1(kFoundUbxNotice.data(), kFoundUbxNotice.size()),
                                QMessageBox::Ok, window_);
    foundUbx_->setAttribute(Qt::WA_DeleteOnClose);
    foundUbx_->open();
}
