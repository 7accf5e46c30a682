#pragma once
// The one place that touches serial device descriptors: open for exclusive
// use, configure through termios, query, read, write, drive the modem lines,
// purge and release. Every other part of the serial unit works through it.
//
// A network source name (serial/NetworkSource.h) opens a socket instead: the
// link is established by the first WaitForInput, on the reader's thread, and
// the device counts as open once it stands. Line settings set the far line
// of an RFC 2217 source (kept until its link stands) and are accepted and do
// nothing for the others; the modem lines are those the RFC 2217 bridge
// tells of, else empty; a link that fails or ends tells why through Failure.
//
// Operations may run from several threads at once (the reader, the main
// thread, sender threads); Close wakes a reader waiting for input, waits for
// operations in progress and makes a write that is waiting for room give up,
// so a descriptor is never used after it was closed. The terminal settings
// the device had when it was opened are put back when it is closed.

#include "serial/SerialTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>

class NetworkLink;

// The line settings termios can carry. The component's XON/XOFF thresholds,
// ErrorChar replacement, EofChar, DiscardNulls, DsrSensitivity,
// TXContinueOnXoff and the DSR side of the DTR/DSR handshake have no Linux
// equivalent and are not part of it.
struct LineSettings {
    std::int32_t baudRate = 4800;
    std::uint8_t dataBits = 8;
    TParityBits parity = pbNone;
    TStopBits stopBits = sb1Bit;
    bool dtrOn = true; // DTR raised while open (ignored under DTR/DSR handshake)
    bool rtsOn = true; // RTS raised while open (ignored under RTS/CTS handshake)
    THwFlowControl hwFlow = hfNONE;
    bool xonXoff = false;
    char xonChar = 17;
    char xoffChar = 19;
    bool parityCheck = false; // a byte with a parity error reads as NUL
};

class PosixDevice {
public:
    // Opens path for exclusive reading and writing. On failure returns null
    // and sets error to the OS's description of the cause.
    static std::unique_ptr<PosixDevice> Open(const std::string& path, std::string& error);
    ~PosixDevice();
    PosixDevice(const PosixDevice&) = delete;
    PosixDevice& operator=(const PosixDevice&) = delete;

    bool IsOpen() const { return fd_.load() >= 0; }
    bool IsNetworkLink() const { return link_ != nullptr; }
    // Why a network link failed or ended by itself, as one line naming the
    // source; empty for a terminal and while nothing went wrong.
    std::string Failure() const;

    // False when the device refuses a setting (a rate it cannot do).
    bool ApplyLineSettings(const LineSettings& settings);
    // Only the write timeouts act: reads never wait.
    bool SetWriteTimeouts(std::uint32_t multiplierMs, std::uint32_t constantMs);
    // Linux sizes its queues itself; accepted when the device is open.
    bool ApplyBufferSizes(std::uint32_t inputBytes, std::uint32_t outputBytes);

    enum class InputState { Readable, Woken, Gone };
    // Blocks until bytes can be read, wakeFd becomes readable (Woken), or the
    // device has hung up, vanished or been closed (Gone; bytes that came
    // before a hang-up may still be read). Costs nothing while it waits. A
    // network link is established first: Gone when that fails, Woken once
    // it stands.
    InputState WaitForInput(int wakeFd);
    // Reads what is there without waiting, at most size bytes: the count
    // read (0 when nothing is there, as a terminal reports it), or -1 when
    // the device is gone (unplugged, far end closed, released).
    long ReadSome(char* buffer, std::size_t size);
    // Writes size bytes, waiting for room at most multiplier × size + constant
    // ms (without limit when both are zero); returns how many went out. With
    // stop, the write gives up soon after it turns true; progress follows
    // the count written so far.
    std::size_t Write(const char* data, std::size_t size, const std::atomic<bool>* stop = nullptr,
                      std::atomic<std::size_t>* progress = nullptr);

    // The modem input lines; empty when the device cannot tell.
    TLineStatusSet LineStatus();
    bool SetDTR(bool on);
    bool SetRTS(bool on);
    bool SetBreak(bool on);
    bool SetXonXoff(bool on);
    bool PurgeInput();
    bool PurgeOutput();
    bool PurgeAll();

    // Releases the descriptor; safe to call twice.
    void Close();

private:
    PosixDevice(int fd, int closeWake, std::unique_ptr<NetworkLink> link);
    bool ChangeModemLine(int line, bool on);
    long WriteSome(int fd, const char* data, std::size_t size);

    std::atomic<int> fd_;
    // Signalled by Close, so that a reader blocked in WaitForInput lets go.
    const int closeWake_;
    // The settings found at open, restored at close; null when unreadable.
    struct SavedSettings;
    std::unique_ptr<SavedSettings> savedSettings_;
    std::atomic<bool> closing_ = false;
    std::atomic<std::uint32_t> writeMultiplierMs_ = 100;
    std::atomic<std::uint32_t> writeConstantMs_ = 1000;
    // Set for a network source; the descriptor is its socket.
    const std::unique_ptr<NetworkLink> link_;
    mutable std::shared_mutex inUse_;
};
