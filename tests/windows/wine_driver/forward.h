/* The Linux half of the Wine test driver: the device calls' own socket client
 * (platform/win32_on_linux/socket_transport) behind three plain C functions, so that the driver's
 * Windows half (qd4682_driver.c, built against Wine's kernel headers, which are C only) and
 * the project's Linux headers never meet in one file. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Connects to the platform socket of device `name` with the same path rules and peer check as
 * the Linux device calls. Returns 0 with *fd set, or the Win32 error CreateFileA would give. */
uint32_t forward_connect(const char* name, int* fd);

/* Forwards one control request on connection `fd` in the wire format. `buffer` holds the input
 * and receives the answer (up to outputLength bytes), as a buffered transfer shares one buffer
 * for both. Returns 0 with *count set, or the Win32 error to report; *lost set to 1 tells the
 * caller that the connection is out of step and must be dropped. */
uint32_t forward_request(int fd, uint32_t controlCode, uint8_t* buffer, uint32_t inputLength,
                         uint32_t outputLength, uint32_t* count, int* lost);

void forward_disconnect(int fd);

#ifdef __cplusplus
}
#endif
