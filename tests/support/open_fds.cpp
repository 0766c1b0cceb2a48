#include "tests/support/open_fds.h"

#include <dirent.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace test_support {

int CountOpenFds() {
    DIR* directory = opendir("/proc/self/fd");
    if (directory == nullptr) {
        throw std::system_error(errno, std::generic_category(), "opendir /proc/self/fd");
    }
    int own = dirfd(directory);
    int count = 0;
    while (dirent* entry = readdir(directory)) {
        if (entry->d_name[0] == '.') continue;
        if (std::atoi(entry->d_name) == own) continue;
        ++count;
    }
    closedir(directory);
    return count;
}

}  // namespace test_support
