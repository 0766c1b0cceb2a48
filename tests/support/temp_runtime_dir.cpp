#include "tests/support/temp_runtime_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace test_support {

TempRuntimeDir::TempRuntimeDir() {
    char name[] = "/tmp/devrt-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    path_ = name;
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

TempRuntimeDir::~TempRuntimeDir() {
    if (hadPrevious_) {
        setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace test_support
