// The statuses with which the stand-in driver refuses a request, Win32 error codes as the
// device calls report them through GetLastError.
#pragma once

#include <cstdint>

namespace sim {

constexpr uint32_t kRefuseUnknownControl = 0x01;  // ERROR_INVALID_FUNCTION
constexpr uint32_t kRefuseNotReady = 0x15;        // ERROR_NOT_READY
constexpr uint32_t kRefuseInstance = 0x1F;        // ERROR_GEN_FAILURE
constexpr uint32_t kRefuseNotSupported = 0x32;    // ERROR_NOT_SUPPORTED
constexpr uint32_t kRefuseBadLength = 0x57;       // ERROR_INVALID_PARAMETER
constexpr uint32_t kRefuseAnswerTooSmall = 0x7A;  // ERROR_INSUFFICIENT_BUFFER

struct RefusalCode {
    uint32_t status;
    const char* name;
    const char* when;
};

// Every refusal, for --help.
constexpr RefusalCode kRefusalCodes[] = {
    {kRefuseUnknownControl, "ERROR_INVALID_FUNCTION",
     "a control code other than SMT_GET and "
     "DRIVER_STATS"},
    {kRefuseNotReady, "ERROR_NOT_READY", "the adapter is not ready (scenario flaky)"},
    {kRefuseInstance, "ERROR_GEN_FAILURE", "a device instance that is not served"},
    {kRefuseNotSupported, "ERROR_NOT_SUPPORTED",
     "an SMT code that is neither a group nor an attribute, or a resource index the object "
     "does not have"},
    {kRefuseBadLength, "ERROR_INVALID_PARAMETER",
     "an input or output length other than 2064 (SMT_GET) or 148 (DRIVER_STATS), or an answer "
     "size of 0 or above 2048"},
    {kRefuseAnswerTooSmall, "ERROR_INSUFFICIENT_BUFFER",
     "the answer size given in the request is too small for the records"},
};

}  // namespace sim
