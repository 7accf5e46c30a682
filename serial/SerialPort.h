#pragma once
// TSerialPort: the serial port component. It keeps the line settings, opens a
// port for exclusive use, takes received bytes off the device as they arrive
// and hands them to its owner once every Delay ms as one chunk (more than
// 1 MiB goes out at once, in chunks of 1 MiB one after the other), along with
// modem-line changes, connects, disconnects and the loss of the device,
// through events; writes are synchronous and echoed through OnSend. Each
// chunk comes with the times its bytes were read (ChunkReadMarks).

#include "serial/DeviceMap.h"
#include "serial/PortNames.h"
#include "serial/ReadMarks.h"
#include "serial/SerialTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PosixDevice;
class QObject;
struct ConnectionEvents;
struct ReaderContext;
class ReaderSettings;
class ReceiveTap;
class TComThread;
class TSenderThread;
class TSendJob;
struct LineSettings;

class TSerialPort {
public:
    using TSendReceiveEvent = std::function<void(TSerialPort* Sender, const std::string& Buffer)>;
    using TLineStatusEvent = std::function<void(TSerialPort* Sender, TLineStatusSet LineStatus)>;
    using TConnectEvent = std::function<void(TSerialPort* Sender, TCommPort Port)>;
    using TOverflowEvent = std::function<void(TSerialPort* Sender, std::uint64_t DroppedBytes)>;

    TSerialPort();
    // Stops a running reader thread and waits for it and for every sender
    // thread, processing GUI events meanwhile.
    ~TSerialPort();
    TSerialPort(const TSerialPort&) = delete;
    TSerialPort& operator=(const TSerialPort&) = delete;

    // Events; an empty function means no call. A handler called on the
    // owner's thread is the one assigned at that moment; one called on the
    // reader's thread (NeedSynchronization off) is the one assigned when the
    // port was opened.
    TSendReceiveEvent OnReceive;
    TSendReceiveEvent OnSend;
    TLineStatusEvent OnLineStatusChange;
    TConnectEvent OnConnect;
    TConnectEvent OnDisconnect;
    // The connection ended because the device went away (the far end hung
    // up, the adapter was unplugged), not because of Close: fired just before
    // OnDisconnect, by the same rule (on the owner's thread when
    // NeedSynchronization is set).
    TConnectEvent OnDeviceLost;
    // A network source's link stands: the connection to it was made, or a
    // receiver connected in (for UDP: the socket receives). OnConnect comes
    // when its Open returns, before; serial devices have no such event.
    TConnectEvent OnLinkUp;
    // The receive buffer was full (the owner fell ReceiveBufferLimit bytes
    // behind) and DroppedBytes more bytes could not be kept; fired after the
    // chunk they would have followed.
    TOverflowEvent OnOverflow;

    // Published properties. Setters of line settings re-apply them at once
    // while the port is open. XonLim, XoffLim, ReplaceParityErrors,
    // ErrorChar, EofChar, DiscardNulls, DsrSensitivity and TXContinueOnXoff
    // are kept and read back but Linux has nothing to apply them to; nor do
    // the read timeouts and the queue sizes act (reads never wait, and the
    // kernel sizes its queues).
    TCommPort Port() const;
    void SetPort(TCommPort value);
    TBaudRate BaudRate() const;
    void SetBaudRate(TBaudRate value);
    TDataWidth DataWidth() const;
    void SetDataWidth(TDataWidth value); // throws ESerialPortException
    TStopBits StopBits() const;
    void SetStopBits(TStopBits value); // throws ESerialPortException
    TParityBits Parity() const;
    void SetParity(TParityBits value);
    bool EnableDTROnOpen() const { return FEnableDTROnOpen; }
    void SetEnableDTROnOpen(bool value) { StoreAndReApply(FEnableDTROnOpen, value); }
    bool EnableRTSOnOpen() const { return FEnableRTSOnOpen; }
    void SetEnableRTSOnOpen(bool value) { StoreAndReApply(FEnableRTSOnOpen, value); }
    THwFlowControl HwFlowControl() const { return FHwFlowControl; }
    void SetHwFlowControl(THwFlowControl value) { StoreAndReApply(FHwFlowControl, value); }
    TSwFlowControl SwFlowControl() const { return FSwFlowControl; }
    void SetSwFlowControl(TSwFlowControl value) { StoreAndReApply(FSwFlowControl, value); }
    char XonChar() const { return FXonChar; }
    void SetXonChar(char value) { StoreAndReApply(FXonChar, value); }
    char XoffChar() const { return FXoffChar; }
    void SetXoffChar(char value) { StoreAndReApply(FXoffChar, value); }
    std::uint16_t XonLim() const { return FXonLim; }
    void SetXonLim(std::uint16_t value) { StoreAndReApply(FXonLim, value); }
    std::uint16_t XoffLim() const { return FXoffLim; }
    void SetXoffLim(std::uint16_t value) { StoreAndReApply(FXoffLim, value); }
    bool ParityCheck() const { return FParityCheck; }
    void SetParityCheck(bool value) { StoreAndReApply(FParityCheck, value); }
    bool ReplaceParityErrors() const { return FReplaceParityErrors; }
    void SetReplaceParityErrors(bool value) { FReplaceParityErrors = value; }
    bool DiscardNulls() const { return FDiscardNulls; }
    void SetDiscardNulls(bool value) { StoreAndReApply(FDiscardNulls, value); }
    bool DsrSensitivity() const { return FDsrSensitivity; }
    void SetDsrSensitivity(bool value) { StoreAndReApply(FDsrSensitivity, value); }
    bool TXContinueOnXoff() const { return FTXContinueOnXoff; }
    void SetTXContinueOnXoff(bool value) { StoreAndReApply(FTXContinueOnXoff, value); }
    char ErrorChar() const { return FErrorChar; }
    void SetErrorChar(char value) { StoreAndReApply(FErrorChar, value); }
    char EofChar() const { return FEofChar; }
    void SetEofChar(char value) { StoreAndReApply(FEofChar, value); }
    std::uint32_t ReadIntervalTimeout() const { return FReadIntervalTimeout; }
    void SetReadIntervalTimeout(std::uint32_t value) { FReadIntervalTimeout = value; }
    std::uint32_t ReadTotalTimeoutMultiplier() const { return FReadTotalTimeoutMultiplier; }
    void SetReadTotalTimeoutMultiplier(std::uint32_t value) { FReadTotalTimeoutMultiplier = value; }
    std::uint32_t ReadTotalTimeoutConstant() const { return FReadTotalTimeoutConstant; }
    void SetReadTotalTimeoutConstant(std::uint32_t value) { FReadTotalTimeoutConstant = value; }
    std::uint32_t WriteTotalTimeoutMultiplier() const { return FWriteTotalTimeoutMultiplier; }
    void SetWriteTotalTimeoutMultiplier(std::uint32_t value) {
        FWriteTotalTimeoutMultiplier = value;
    }
    std::uint32_t WriteTotalTimeoutConstant() const { return FWriteTotalTimeoutConstant; }
    void SetWriteTotalTimeoutConstant(std::uint32_t value) { FWriteTotalTimeoutConstant = value; }
    std::uint32_t InputBuffer() const { return FInputBuffer; }
    void SetInputBuffer(std::uint32_t value);
    std::uint32_t OutputBuffer() const { return FOutputBuffer; }
    void SetOutputBuffer(std::uint32_t value);
    TThreadPriority Priority() const { return FPriority; }
    void SetPriority(TThreadPriority value);
    std::uint32_t Delay() const;
    void SetDelay(std::uint32_t value);
    std::string CustomPortName() const { return FCustomPortName; }
    void SetCustomPortName(const std::string& value);
    std::int32_t CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(std::int32_t value);
    bool LogInput() const;
    void SetLogInput(bool value);
    bool LogDateTime() const;
    void SetLogDateTime(bool value);
    std::string LogFile() const;
    void SetLogFile(const std::string& value);

    // Public, not published.
    bool IsSending() const { return FIsSending; }
    bool IsReceiving() const;
    bool NeedSynchronization() const;
    void SetNeedSynchronization(bool value);
    // How many received bytes may wait for delivery (64 MiB by default);
    // taken by the next Open.
    std::size_t ReceiveBufferLimit() const { return FReceiveBufferLimit; }
    void SetReceiveBufferLimit(std::size_t value) { FReceiveBufferLimit = value; }
    // The device waits for its reader instead of losing bytes (a replay's
    // line): it is read no further while a largest chunk waits undelivered,
    // so a fast source is held back rather than overflowing the buffer.
    // Taken by the next Open.
    bool PacedByReader() const { return FPacedByReader; }
    void SetPacedByReader(bool value) { FPacedByReader = value; }
    // Received bytes the current connection could not keep (0 while closed).
    std::uint64_t DroppedBytes() const;
    // When the bytes of the chunk OnReceive is handling were read, in order;
    // the last mark ends at the chunk's end. Valid inside that handler, on
    // its thread; empty anywhere else.
    const std::vector<ReadMark>& ChunkReadMarks() const;
    // Why the device went away, as one line naming the port ("tcp://192.0.2.7:
    // 4001: connection refused"); valid inside OnDeviceLost, on its thread.
    // Empty anywhere else and when the device gave no cause (a terminal that
    // hung up).
    std::string DeviceLossReason() const;
    // Called on the reader's thread with every byte read from the device, in
    // order, before any delivery (for recording); an empty function removes
    // it. May be set at any time, also while open, from any thread.
    void SetReceiveTap(std::function<void(const char* data, std::size_t size)> tap);
    static constexpr double Version() { return 1.54; }

    // Conversions that know this component's custom port name and rate.
    std::string CommPortToString(TCommPort value) const;
    std::int32_t BaudRateToInt(TBaudRate value) const;

    // Connection (main thread). Open throws ESerialPortException
    // "Cannot connect to %s . %s" when the device cannot be opened. The old
    // connection's OnDisconnect has fired when Close returns, so before the
    // OnConnect of an Open that switches ports; a reader that cannot end in
    // time (Close from inside its synchronised event) is left to end later.
    void Open();
    void Close();
    TCommPort IsConnected() const { return ConnectedTo; }

    // Writes; each returns the number of bytes the device took and throws
    // ESerialPortException "%s is not open. Serial port is not connected."
    // while closed. OnSend echoes exactly the bytes written.
    std::uint32_t SendString(const std::string& str); // up to its first zero byte
    std::uint32_t SendChars(const std::string& str);  // every byte
    std::uint32_t SendData(const void* Data, std::uint32_t dataSize);
    std::uint32_t SendData(const std::string& data);
    std::uint32_t SendByte(std::uint8_t number);
    std::uint32_t SendChar(char character);
    std::uint32_t SendWord(std::uint16_t number); // low byte first
    // Send from a thread of their own; failures there are lost.
    void SendStringOnNewThread(const std::string& str);
    void SendCharsOnNewThread(const std::string& str);
    // A send that may outlast the call: every byte of bytes is written from
    // a thread of its own, which the returned job lets the caller follow,
    // wait for and cancel. OnSend does not fire; the job tells what was
    // written. Throws the not-open exception while closed.
    std::shared_ptr<TSendJob> StartSend(std::string bytes);

    // Output lines and queues; False while closed or when the device refuses.
    bool SetDTR(bool OnOff);
    bool SetRTS(bool OnOff);
    bool SetBreak(bool OnOff);
    bool SetXonXoff(bool OnOff);
    bool ClearInputBuffer();
    bool ClearOutputBuffer();

    // Input lines read afresh; False while closed.
    bool GetCTS();
    bool GetDSR();
    bool GetRING();
    bool GetCD();

private:
    LineSettings CurrentLineSettings() const;
    bool ApplyLineSettings(PosixDevice* device);
    bool ApplyTimeouts(PosixDevice* device);
    bool ApplyBufferSizes(PosixDevice* device);
    void ReApply();
    // Stores and re-applies only when the value changes.
    template <typename T> void StoreAndReApply(T& field, T value) {
        if (field == value)
            return;
        field = value;
        ReApply();
    }
    void StartConnection(std::shared_ptr<PosixDevice> device);
    ConnectionEvents BindEvents(std::uint64_t connection, TCommPort port,
                                const PosixDevice& device);
    // The handler to call now: the current one on the owner's thread, else
    // the one the connection opened with.
    template <typename Handler>
    const Handler& Current(const Handler& live, const Handler& opened) const {
        return std::this_thread::get_id() == ownerThreadId_ ? live : opened;
    }
    void ConnectionEnded(std::uint64_t connection);
    void EndConnection();
    std::shared_ptr<PosixDevice> OpenDevice() const;
    std::shared_ptr<PosixDevice> DeviceForSending() const; // throws when not open
    bool WithDevice(const std::function<bool(PosixDevice&)>& action) const;
    bool HasLine(TLineStatus line);
    std::uint32_t WriteAndEcho(const char* data, std::uint32_t size);
    void StartSender(const std::string& str, int sendType);
    void ReapThreads(bool waitForAll);

    std::string FPort;
    std::string FCustomPortName;
    std::int32_t FBaudRate = 4800;
    std::int32_t FCustomBaudRate = 0;
    std::uint8_t FDataWidth = 8;
    std::uint8_t FParity = 0;
    std::uint8_t FStopBits = 0;
    bool FEnableDTROnOpen = true;
    bool FEnableRTSOnOpen = true;
    THwFlowControl FHwFlowControl = hfNONE;
    TSwFlowControl FSwFlowControl = sfNONE;
    char FXonChar = 17;
    char FXoffChar = 19;
    std::uint16_t FXonLim = 0;
    std::uint16_t FXoffLim = 1;
    bool FParityCheck = false;
    bool FReplaceParityErrors = false;
    char FErrorChar = 0;
    char FEofChar = 0;
    bool FDiscardNulls = false;
    bool FDsrSensitivity = false;
    bool FTXContinueOnXoff = false;
    TLineStatusSet FLineStatus;
    std::uint32_t FReadIntervalTimeout = 0xFFFFFFFFu;
    std::uint32_t FReadTotalTimeoutMultiplier = 0;
    std::uint32_t FReadTotalTimeoutConstant = 0;
    std::uint32_t FWriteTotalTimeoutMultiplier = 100;
    std::uint32_t FWriteTotalTimeoutConstant = 1000;
    TThreadPriority FPriority = tpNormal;
    std::uint32_t FInputBuffer = 4096;
    std::uint32_t FOutputBuffer = 4096;
    std::size_t FReceiveBufferLimit = std::size_t{64} << 20;
    bool FPacedByReader = false;
    // Delay, synchronisation and the receive log, read live by the reader.
    const std::shared_ptr<ReaderSettings> readerSettings_;
    const std::shared_ptr<ReceiveTap> receiveTap_;

    // The reader of the open connection; null while closed.
    std::unique_ptr<TComThread> ComThread;
    // Numbers the connections made, so that the end of one is told from the
    // end of another.
    std::uint64_t connectionsOpened_ = 0;
    // Changed on the owner's thread only; read from any.
    std::atomic<TCommPort> ConnectedTo = spNone;
    std::atomic<bool> FIsSending = false;

    // The open device that sends and line operations use, and the open
    // connection's context; shared with the threads that use them, so that a
    // descriptor is never used after its release.
    std::shared_ptr<PosixDevice> device_;
    std::shared_ptr<ReaderContext> connection_;
    mutable std::mutex deviceMutex_;
    // Readers tell the owner's thread of their end through this object; calls
    // posted to it are dropped once the component is gone.
    const std::unique_ptr<QObject> ownerThread_;
    const std::thread::id ownerThreadId_ = std::this_thread::get_id();

    // Reader threads whose connection ended but that may still be finishing,
    // and sender threads; joined when done and on destruction.
    std::vector<std::unique_ptr<TComThread>> retiredReaders_;
    std::vector<std::unique_ptr<TSenderThread>> senders_;
    std::mutex sendersMutex_;
};
