#pragma once
// The echo of every write: one line "Sent(Hex): B5 62 … " per write in the
// port log, added inside the write call with exactly the bytes written.

#include <string>

class QPlainTextEdit;

void portSerialSend(QPlainTextEdit* moComPort, const std::string& Buffer);
