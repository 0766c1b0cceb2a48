// The stand-in driver's device: up to three simulated adapters behind the two control codes
// of the adapter's driver. Requests and answers are raw buffers as they cross the device
// calls; everything in them is checked before it is used.
//
//   IOCTL_SMT_GET, 2064-byte buffer in and out: words 0-3 (little-endian) give the instance,
//   the request code (an attribute group or a single attribute type), the answer size and the
//   resource index; the answer is the whole buffer, its header words as sent and the SMT
//   parameter records from offset 16.
//   IOCTL_DRIVER_STATS, 148-byte record in and out: word 0 gives the instance; the answer is
//   the statistics record.
//
// Refusals are listed in refusal_codes.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "platform/wire/device_handler.h"
#include "simulator/station_model.h"

namespace sim {

constexpr uint32_t kIoctlSmtGet = 0xA0286044;
constexpr uint32_t kIoctlDriverStats = 0xA0286004;
constexpr uint32_t kSmtBufferSize = 2064;
constexpr uint32_t kSmtHeaderSize = 16;
constexpr uint32_t kMaxAnswerSize = kSmtBufferSize - kSmtHeaderSize;
constexpr uint32_t kMaxInstances = 3;

struct DriverConfig {
    uint32_t instances = 1;  // 1 to kMaxInstances
    Attachment attachment = Attachment::kDual;
    Scenario scenario = Scenario::kHealthy;  // played by instance 0; the others stay healthy
    uint64_t seed = 1;
    uint32_t uptimeSeconds = 0;  // how long the adapters had been up when the driver started
};

class StationDriver : public wire::DeviceHandler {
  public:
    // Model time 0 is the clock's time at construction. `log`, when not null, gets one line
    // per request.
    StationDriver(const DriverConfig& config, platform::Clock& clock, FILE* log = nullptr);

    // The input and output buffers may be one and the same.
    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override;

    // Brings every station up to the clock's time, so that a request after a long quiet
    // spell does not have to play hours of ring life first.
    void CatchUp();

    uint32_t InstanceCount() const { return static_cast<uint32_t>(stations_.size()); }
    const Station& StationOf(uint32_t instance) const { return stations_.at(instance); }

  private:
    uint32_t ServeSmtGet(uint64_t now, const uint8_t* input, uint32_t inputLength, uint8_t* output,
                         uint32_t outputLength, uint32_t* answerLength);
    uint32_t ServeStatistics(uint64_t now, const uint8_t* input, uint32_t inputLength,
                             uint8_t* output, uint32_t outputLength, uint32_t* answerLength);
    // The station of `instance` at time `now`, or nullptr when that instance is not served.
    Station* StationAt(uint32_t instance, uint64_t now);
    uint64_t ModelNowMs() const;
    void LogRequest(uint64_t now, uint32_t controlCode, const uint32_t (&requestWords)[4],
                    uint32_t inputLength, uint32_t status) const;

    std::vector<Station> stations_;
    platform::Clock& clock_;
    uint64_t startMs_;
    FILE* log_;
};

}  // namespace sim
