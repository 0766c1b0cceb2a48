// A private XDG_RUNTIME_DIR for one test, so that tests run in parallel each see their own
// device sockets.
#pragma once

#include <string>

namespace test_support {

// Creates a fresh directory under /tmp (short, so socket paths stay within their limit) and
// points XDG_RUNTIME_DIR at it. The destructor restores the previous XDG_RUNTIME_DIR (or its
// absence) and removes the directory with everything in it. Create it before starting any
// thread that reads the environment. Throws std::system_error when the directory cannot be made.
class TempRuntimeDir {
  public:
    TempRuntimeDir();
    ~TempRuntimeDir();
    TempRuntimeDir(const TempRuntimeDir&) = delete;
    TempRuntimeDir& operator=(const TempRuntimeDir&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    bool hadPrevious_ = false;
    std::string previous_;
};

}  // namespace test_support
