// Builds one SMT parameter value: every datum big-endian in a field of four bytes (an 8-bit
// datum is the field's last byte, a 16-bit one its last two), addresses as two zero bytes and
// six address bytes, times as negative counts of 80 ns. Writes never pass the value's end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simulator/station_state.h"

namespace sim {

// Large enough for the longest value: 32 bytes of text, or the PATH configuration of a dual
// attachment station (28 bytes).
constexpr size_t kMaxValueBytes = 40;

struct AttributeValue {
    uint16_t length = 0;
    uint8_t bytes[kMaxValueBytes] = {};
};

class ValueWriter {
  public:
    explicit ValueWriter(AttributeValue* value) : value_(value) { value_->length = 0; }

    void Byte8(uint8_t x) { Word32(x); }
    void Word16(uint16_t x) { Word32(x); }
    void Word32(uint32_t x) {
        Put(static_cast<uint8_t>(x >> 24));
        Put(static_cast<uint8_t>(x >> 16));
        Put(static_cast<uint8_t>(x >> 8));
        Put(static_cast<uint8_t>(x));
    }
    void Word64(uint64_t x) {
        Word32(static_cast<uint32_t>(x >> 32));
        Word32(static_cast<uint32_t>(x));
    }
    // Two 16-bit numbers in one field.
    void Pair16(uint16_t high, uint16_t low) { Word32(static_cast<uint32_t>(high) << 16 | low); }
    // Four single bytes in one field.
    void Bytes4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
        Put(a);
        Put(b);
        Put(c);
        Put(d);
    }
    // A time in microseconds, as the negative count of 80 ns units it lasts.
    void TimeUs(uint32_t microseconds) {
        const int64_t units = static_cast<int64_t>(microseconds) * 25 / 2;
        Word32(static_cast<uint32_t>(-units));
    }
    void LongAddress(const MacAddress& address) {
        Put(0);
        Put(0);
        for (uint8_t b : address.bytes)
            Put(b);
    }
    // `text` in a field of `width` bytes, padded with zeros.
    void Text(const char* text, size_t width) {
        size_t i = 0;
        for (; i < width && text[i] != '\0'; ++i)
            Put(static_cast<uint8_t>(text[i]));
        for (; i < width; ++i)
            Put(0);
    }
    // Raw bytes as they are.
    void Put(uint8_t b) {
        if (value_->length < kMaxValueBytes) {
            value_->bytes[value_->length++] = b;
        } else {
            overflowed_ = true;
        }
    }
    bool Overflowed() const { return overflowed_; }

  private:
    AttributeValue* value_;
    bool overflowed_ = false;
};

}  // namespace sim
