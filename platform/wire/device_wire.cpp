#include "platform/wire/device_wire.h"

namespace wire {

void PutU32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t GetU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void EncodeRequestHeader(const RequestHeader& header, uint8_t out[kHeaderSize]) {
    PutU32(out, header.controlCode);
    PutU32(out + 4, header.inputLength);
    PutU32(out + 8, header.outputLength);
}

bool DecodeRequestHeader(const uint8_t in[kHeaderSize], RequestHeader* header) {
    header->controlCode = GetU32(in);
    header->inputLength = GetU32(in + 4);
    header->outputLength = GetU32(in + 8);
    return header->inputLength <= kMaxLength && header->outputLength <= kMaxLength;
}

void EncodeReplyHeader(const ReplyHeader& header, uint8_t out[kReplyHeaderSize]) {
    PutU32(out, header.status);
    PutU32(out + 4, header.count);
}

void DecodeReplyHeader(const uint8_t in[kReplyHeaderSize], ReplyHeader* header) {
    header->status = GetU32(in);
    header->count = GetU32(in + 4);
}

bool ReplyFits(const ReplyHeader& reply, uint32_t outputLength) {
    if (reply.status != 0) return reply.count == 0;
    return reply.count <= outputLength;
}

}  // namespace wire
