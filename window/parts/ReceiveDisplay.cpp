#include "window/parts/ReceiveDisplay.h"

#include "window/blocks/ChunkExcerpt.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/TextPane.h"

namespace {
QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}
} // namespace

TReceiveDisplay::TReceiveDisplay(QWidget* window, QPlainTextEdit* data)
    : QObject(window), window_(window), moData(data) {}

void TReceiveDisplay::SetNmeaWatch(const QString& watch) {
    nmeaWatch_ = Latin1Bytes(watch);
}

void TReceiveDisplay::SetPubxWatch(const QString& watch) {
    pubxWatch_ = Latin1Bytes(watch);
}

void TReceiveDisplay::Take(const std::string& Buffer) {
    emit DataArrived();

    const TChunkDisplay display =
        DecodeShownChunk(Buffer, view_, nmeaWatch_, pubxWatch_, textFilter_);

    for (const std::string& line : display.PubxWatchLines)
        emit PubxWatchLine(Latin1(line));
    if (display.FoundUbx)
        ShowFoundUbx();
    if (!skip_ && display.DataLines) {
        QStringList lines;
        for (const std::string& line : *display.DataLines)
            lines << Latin1(line);
        SetLines(moData, lines);
    }
    for (const std::string& line : display.NmeaWatchLines)
        emit NmeaWatchLine(Latin1(line));
    if (view_ == ViewMode::vmNMEA)
        skip_ = stopChecked_;
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
