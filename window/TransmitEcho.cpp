#include "window/TransmitEcho.h"

#include "protocol/TransmitEcho.h"
#include "window/TextPane.h"

#include <QPlainTextEdit>

void portSerialSend(QPlainTextEdit* moComPort, const std::string& Buffer) {
    AppendLine(moComPort, QString::fromStdString(SendEchoLine(Buffer)));
}
