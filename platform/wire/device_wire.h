// One device control request and its reply on the stream socket between the device calls and
// a driver. All integers are unsigned 32-bit little-endian.
//
//   request: control code | input length N | output length M | N input bytes
//   reply:   status       | count C (0..M, 0 unless status is 0) | C answer bytes
//
// Lengths above kMaxLength are refused on both sides.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wire {

constexpr uint32_t kMaxLength = 65536;
constexpr size_t kHeaderSize = 12;  // request header
constexpr size_t kReplyHeaderSize = 8;

struct RequestHeader {
    uint32_t controlCode = 0;
    uint32_t inputLength = 0;
    uint32_t outputLength = 0;
};

struct ReplyHeader {
    uint32_t status = 0;
    uint32_t count = 0;
};

void PutU32(uint8_t* at, uint32_t value);
uint32_t GetU32(const uint8_t* at);

void EncodeRequestHeader(const RequestHeader& header, uint8_t out[kHeaderSize]);
// False when a length exceeds kMaxLength.
bool DecodeRequestHeader(const uint8_t in[kHeaderSize], RequestHeader* header);

void EncodeReplyHeader(const ReplyHeader& header, uint8_t out[kReplyHeaderSize]);
void DecodeReplyHeader(const uint8_t in[kReplyHeaderSize], ReplyHeader* header);

// Checks a decoded reply against the request it answers: a nonzero status must carry no
// answer bytes, and the count may not exceed the output length. False for a malformed reply.
bool ReplyFits(const ReplyHeader& reply, uint32_t outputLength);

}  // namespace wire
