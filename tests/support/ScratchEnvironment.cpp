#include "tests/support/ScratchEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

ScratchEnvironment::ScratchEnvironment() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zepo-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch directory");
    root_ = buffer.data();
    std::filesystem::create_directories(runtimeDir());
    // A runtime folder is the user's alone; Qt warns about any other mode.
    std::filesystem::permissions(runtimeDir(), std::filesystem::perms::owner_all);
    std::filesystem::create_directories(configDir());
    setenv("XDG_RUNTIME_DIR", runtimeDir().c_str(), 1);
    setenv("XDG_CONFIG_HOME", configDir().c_str(), 1);
}

ScratchEnvironment::~ScratchEnvironment() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}
