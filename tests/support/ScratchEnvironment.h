#pragma once
// Gives a test process its own XDG_RUNTIME_DIR and XDG_CONFIG_HOME in a fresh
// temporary directory, removed again when the object goes away, so announced
// ports and stored settings never touch the user's home or another test.

#include <string>

class ScratchEnvironment {
public:
    ScratchEnvironment();
    ~ScratchEnvironment();
    ScratchEnvironment(const ScratchEnvironment&) = delete;
    ScratchEnvironment& operator=(const ScratchEnvironment&) = delete;

    const std::string& root() const { return root_; }
    std::string runtimeDir() const { return root_ + "/run"; }
    std::string configDir() const { return root_ + "/config"; }

private:
    std::string root_;
};
