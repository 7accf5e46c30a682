// The write path and the line operations of the open connection.

#include "serial/PosixDevice.h"
#include "serial/SendJob.h"
#include "serial/SenderThread.h"
#include "serial/SerialPort.h"

#include <algorithm>

std::shared_ptr<PosixDevice> TSerialPort::OpenDevice() const {
    std::lock_guard lock(deviceMutex_);
    return device_ && device_->IsOpen() ? device_ : nullptr;
}

std::shared_ptr<PosixDevice> TSerialPort::DeviceForSending() const {
    std::shared_ptr<PosixDevice> device = OpenDevice();
    if (!device)
        throw ESerialPortException(FPort + " is not open. Serial port is not connected.");
    return device;
}

std::uint32_t TSerialPort::WriteAndEcho(const char* data, std::uint32_t size) {
    const std::shared_ptr<PosixDevice> device = DeviceForSending();
    FIsSending = true;
    const auto written = static_cast<std::uint32_t>(device->Write(data, size));
    FIsSending = false;
    if (written == 0 || !OnSend)
        return written;
    try {
        OnSend(this, std::string(data, written));
    } catch (const std::exception& error) {
        throw ESerialPortException(std::string("Send event handler failed: ") + error.what());
    } catch (...) {
        throw ESerialPortException("Send event handler failed: unknown error");
    }
    return written;
}

std::uint32_t TSerialPort::SendString(const std::string& str) {
    const auto end = std::find(str.begin(), str.end(), '\0');
    return WriteAndEcho(str.data(), static_cast<std::uint32_t>(end - str.begin()));
}

std::uint32_t TSerialPort::SendChars(const std::string& str) {
    return str.empty() ? 0 : SendData(str);
}

std::uint32_t TSerialPort::SendData(const void* Data, std::uint32_t dataSize) {
    if (dataSize == 0) {
        DeviceForSending();
        throw ESerialPortException("No data to send.");
    }
    return WriteAndEcho(static_cast<const char*>(Data), dataSize);
}

std::uint32_t TSerialPort::SendData(const std::string& data) {
    return SendData(data.data(), static_cast<std::uint32_t>(data.size()));
}

std::uint32_t TSerialPort::SendByte(std::uint8_t number) {
    return SendData(&number, 1);
}

std::uint32_t TSerialPort::SendChar(char character) {
    return SendData(&character, 1);
}

std::uint32_t TSerialPort::SendWord(std::uint16_t number) {
    const char bytes[2] = {static_cast<char>(number & 0xFF), static_cast<char>(number >> 8)};
    return SendData(bytes, 2);
}

void TSerialPort::StartSender(const std::string& str, int sendType) {
    auto sender = std::make_unique<TSenderThread>(*this, str, sendType);
    sender->Start(tpNormal);
    std::lock_guard lock(sendersMutex_);
    // Senders that are done are joined here, so that a port that sends this
    // way for long does not pile up ended threads until it is closed.
    std::erase_if(senders_, [](const auto& done) { return done->IsFinished(); });
    senders_.push_back(std::move(sender));
}

void TSerialPort::SendStringOnNewThread(const std::string& str) {
    StartSender(str, 0);
}

void TSerialPort::SendCharsOnNewThread(const std::string& str) {
    StartSender(str, 1);
}

std::shared_ptr<TSendJob> TSerialPort::StartSend(std::string bytes) {
    auto job = std::make_shared<TSendJob>(DeviceForSending(), std::move(bytes));
    job->Start(tpNormal);
    return job;
}

bool TSerialPort::WithDevice(const std::function<bool(PosixDevice&)>& action) const {
    const std::shared_ptr<PosixDevice> device = OpenDevice();
    try {
        return device && action(*device);
    } catch (...) {
        return false;
    }
}

bool TSerialPort::SetDTR(bool OnOff) {
    return WithDevice([OnOff](PosixDevice& d) { return d.SetDTR(OnOff); });
}

bool TSerialPort::SetRTS(bool OnOff) {
    return WithDevice([OnOff](PosixDevice& d) { return d.SetRTS(OnOff); });
}

bool TSerialPort::SetBreak(bool OnOff) {
    return WithDevice([OnOff](PosixDevice& d) { return d.SetBreak(OnOff); });
}

bool TSerialPort::SetXonXoff(bool OnOff) {
    return WithDevice([OnOff](PosixDevice& d) { return d.SetXonXoff(OnOff); });
}

bool TSerialPort::ClearInputBuffer() {
    return WithDevice([](PosixDevice& d) { return d.PurgeInput(); });
}

bool TSerialPort::ClearOutputBuffer() {
    return WithDevice([](PosixDevice& d) { return d.PurgeOutput(); });
}

bool TSerialPort::HasLine(TLineStatus line) {
    return WithDevice([line](PosixDevice& d) { return d.LineStatus().Contains(line); });
}

bool TSerialPort::GetCTS() {
    return HasLine(lsCTS);
}

bool TSerialPort::GetDSR() {
    return HasLine(lsDSR);
}

bool TSerialPort::GetRING() {
    return HasLine(lsRING);
}

bool TSerialPort::GetCD() {
    return HasLine(lsCD);
}
