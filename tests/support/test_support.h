// Everything the test helpers offer, in one include: a private XDG_RUNTIME_DIR, a scriptable fake
// driver on a device socket, and descriptor counting for leak tests.
#pragma once

#include "tests/support/open_fds.h"
#include "tests/support/scripted_socket_driver.h"
#include "tests/support/temp_runtime_dir.h"
