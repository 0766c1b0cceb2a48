// How much of an SMT answer the monitor reads, so that the device channel can refuse an answer
// that stops short of it.
#pragma once

#include <cstdint>

#include "platform/win32_on_linux/win32.h"

// The bytes from the start of the request buffer (whose header words come back first) up to the end
// of the last record that the records of `buffer` declare within the answer area: the walk stops at
// a record of type 0, at the end of the `answered` bytes when that falls between two records, or at
// a record that would run past the answer area (the unpacking never reads one). A record cut by the
// end of the answer gives its own end, more than `answered`.
DWORD SmtAnswerLength(const uint8_t* buffer, DWORD answered);
