// The component's settings: property reads and writes, their checks, and the
// hand-over of the settings to an open device.

#include "serial/ComThread.h"
#include "serial/PosixDevice.h"
#include "serial/ReaderContext.h"
#include "serial/SerialPort.h"

namespace {
const char* const kInvalidCombination = "Invalid data-width and stop-bits combination.";
}

TCommPort TSerialPort::Port() const {
    return StringToCommPort(FPort);
}

void TSerialPort::SetPort(TCommPort value) {
    if (value != Port())
        FPort = CommPortToString(value);
}

std::string TSerialPort::CommPortToString(TCommPort value) const {
    return ::CommPortToString(value, FCustomPortName);
}

std::int32_t TSerialPort::BaudRateToInt(TBaudRate value) const {
    return ::BaudRateToInt(value, FCustomBaudRate);
}

void TSerialPort::SetCustomPortName(const std::string& value) {
    FCustomPortName = TrimPortName(value);
    if (Port() == spCustom)
        FPort = FCustomPortName;
}

TBaudRate TSerialPort::BaudRate() const {
    return IntToBaudRate(FBaudRate);
}

void TSerialPort::SetBaudRate(TBaudRate value) {
    FBaudRate = BaudRateToInt(value);
    ReApply();
}

void TSerialPort::SetCustomBaudRate(std::int32_t value) {
    FCustomBaudRate = value;
    if (BaudRate() == brCustom) {
        FBaudRate = value;
        ReApply();
    }
}

TDataWidth TSerialPort::DataWidth() const {
    switch (FDataWidth) {
    case 5:
        return dw5Bits;
    case 6:
        return dw6Bits;
    case 7:
        return dw7Bits;
    default:
        return dw8Bits;
    }
}

void TSerialPort::SetDataWidth(TDataWidth value) {
    const bool refused = value == dw5Bits ? FStopBits == 2 : FStopBits == 1;
    if (refused)
        throw ESerialPortException(kInvalidCombination);
    FDataWidth = static_cast<std::uint8_t>(5 + value);
    ReApply();
}

TStopBits TSerialPort::StopBits() const {
    return FStopBits == 1 ? sb1_5Bits : FStopBits == 2 ? sb2Bits : sb1Bit;
}

void TSerialPort::SetStopBits(TStopBits value) {
    if ((value == sb1_5Bits && FDataWidth != 5) || (value == sb2Bits && FDataWidth == 5))
        throw ESerialPortException(kInvalidCombination);
    FStopBits = static_cast<std::uint8_t>(value);
    ReApply();
}

TParityBits TSerialPort::Parity() const {
    return FParity <= pbSpace ? static_cast<TParityBits>(FParity) : pbNone;
}

void TSerialPort::SetParity(TParityBits value) {
    FParity = static_cast<std::uint8_t>(value);
    ReApply();
}

void TSerialPort::SetInputBuffer(std::uint32_t value) {
    if (FInputBuffer == value)
        return;
    FInputBuffer = value;
    ApplyBufferSizes(OpenDevice().get());
}

void TSerialPort::SetOutputBuffer(std::uint32_t value) {
    if (FOutputBuffer == value)
        return;
    FOutputBuffer = value;
    ApplyBufferSizes(OpenDevice().get());
}

void TSerialPort::SetPriority(TThreadPriority value) {
    if (FPriority == value)
        return;
    FPriority = value;
    if (ComThread)
        ComThread->SetPriority(value);
}

std::uint32_t TSerialPort::Delay() const {
    return readerSettings_->delay;
}

void TSerialPort::SetDelay(std::uint32_t value) {
    readerSettings_->delay = value;
}

bool TSerialPort::NeedSynchronization() const {
    return readerSettings_->synchronised;
}

void TSerialPort::SetNeedSynchronization(bool value) {
    readerSettings_->synchronised = value;
}

bool TSerialPort::LogInput() const {
    return readerSettings_->logInput;
}

void TSerialPort::SetLogInput(bool value) {
    readerSettings_->logInput = value;
}

bool TSerialPort::LogDateTime() const {
    return readerSettings_->logDateTime;
}

void TSerialPort::SetLogDateTime(bool value) {
    readerSettings_->logDateTime = value;
}

std::string TSerialPort::LogFile() const {
    return readerSettings_->LogFile();
}

void TSerialPort::SetLogFile(const std::string& value) {
    readerSettings_->SetLogFile(value);
}

LineSettings TSerialPort::CurrentLineSettings() const {
    LineSettings s;
    s.baudRate = FBaudRate;
    s.dataBits = FDataWidth;
    s.parity = Parity();
    s.stopBits = StopBits();
    s.dtrOn = FEnableDTROnOpen;
    s.rtsOn = FEnableRTSOnOpen;
    s.hwFlow = FHwFlowControl;
    s.xonXoff = FSwFlowControl == sfXONXOFF;
    s.xonChar = FXonChar;
    s.xoffChar = FXoffChar;
    s.parityCheck = FParityCheck;
    return s;
}

void TSerialPort::ReApply() {
    if (const std::shared_ptr<PosixDevice> device = OpenDevice())
        ApplyLineSettings(device.get());
}

bool TSerialPort::ApplyLineSettings(PosixDevice* device) {
    if (device == nullptr || !device->IsOpen())
        return false;
    // A change throws away what waits undelivered, read or not: it came
    // under the old settings.
    device->PurgeInput();
    {
        std::lock_guard lock(deviceMutex_);
        if (connection_)
            connection_->received.Clear();
    }
    if (device->ApplyLineSettings(CurrentLineSettings()))
        return true;
    Close();
    return false;
}

bool TSerialPort::ApplyTimeouts(PosixDevice* device) {
    return device != nullptr &&
           device->SetWriteTimeouts(FWriteTotalTimeoutMultiplier, FWriteTotalTimeoutConstant);
}

bool TSerialPort::ApplyBufferSizes(PosixDevice* device) {
    return device != nullptr && device->ApplyBufferSizes(FInputBuffer, FOutputBuffer);
}
