// A monitor run through its real entry against a fake driver on the device socket, with ways to
// make that driver misbehave: vanish, refuse, stall, hang up mid-reply, or answer SMT requests
// with answer areas a test writes byte by byte.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "tests/harness/monitor_harness.h"
#include "tests/support/scripted_socket_driver.h"

// Stands in front of the fake station and replaces the answer area of chosen SMT requests.
class AnswerOverrides : public wire::DeviceHandler {
  public:
    explicit AnswerOverrides(FakeStation& station) : station_(station) {}
    // From now on the request for (code, index) gets `answer` as its answer area, zero-padded
    // to the area's 512 bytes.
    void Override(uint32_t code, uint32_t index, FakeStation::Bytes answer);
    void Clear() { overrides_.clear(); }

    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override;

  private:
    FakeStation& station_;
    std::map<std::pair<uint32_t, uint32_t>, FakeStation::Bytes> overrides_;
};

struct FaultyRun {
    // The time limits are real time. Opens and answered requests get all the time a loaded
    // machine may need; only the replies the driver stalls, which never come, wait out the short
    // limit, so that stalls cost little real time and fail the same way however loaded the
    // machine is.
    static constexpr int kPatientLimitMs = 60000;
    static constexpr int kStallReplyLimitMs = 5;

    FaultyRun();
    ~FaultyRun();

    void StartDriver();
    void StopDriver() { driver.reset(); }
    // The next `requests` requests get no reply and fail with a timeout; until StopStalling,
    // no other request may be made.
    void Stall(int requests);
    void StopStalling();
    // Waits (boundedly) until the driver has read `count` requests; the client may have given
    // up on the last ones before the driver's thread got to them.
    bool WaitForRequestsReceived(int count) const;

    MonitorHarness h;
    AnswerOverrides answers{h.station};
    std::unique_ptr<test_support::ScriptedSocketDriver> driver;
};

// Big-endian SMT parameter records, back to back, as an answer area holds them.
class RecordWriter {
  public:
    // A record whose length field says `claimedLength` while only `value` follows.
    RecordWriter& Add(uint16_t type, const FakeStation::Bytes& value, uint16_t claimedLength);
    RecordWriter& Add(uint16_t type, const FakeStation::Bytes& value) {
        return Add(type, value, static_cast<uint16_t>(value.size()));
    }
    const FakeStation::Bytes& Bytes() const { return bytes_; }

  private:
    FakeStation::Bytes bytes_;
};
