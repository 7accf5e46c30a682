#pragma once
// The far end of a serial line in tests: a pseudo-terminal whose slave side
// the code under test opens as a port, while the test reads and writes the
// master side as the "device". Both sides are raw, so every byte passes as is.

#include <string>

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // Path of the slave side, "/dev/pts/N": what a port opens.
    const std::string& devicePath() const { return devicePath_; }

    // Announces the slave side as virtual port comName ("COM13") until this
    // object is destroyed or withdraw() is called.
    void announce(const std::string& comName);
    void withdraw();

    // Writes all bytes to the line (as the receiver sending them).
    void write(const std::string& bytes);

    // Reads what the code under test wrote to the line: returns as soon as
    // `count` bytes have arrived, or what arrived by the timeout.
    std::string read(size_t count, int timeoutMs = 2000);

    // Reads whatever arrives until the line has been quiet for quietMs.
    std::string readUntilQuiet(int quietMs = 200, int timeoutMs = 3000);

    int masterFd() const { return master_; }

    // Closes the master side, as a receiver's cable being pulled: the port
    // sees a hang-up. Nothing can be written or read afterwards.
    void unplug();

    // Closes the slave descriptor this object keeps open. While it is open the
    // master never sees a hang-up when the code under test closes the port.
    void closeSlave();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
    std::string announced_;
};
