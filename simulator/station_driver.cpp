#include "simulator/station_driver.h"

#include <cstring>

#include "platform/wire/device_wire.h"
#include "simulator/attribute_encoding.h"
#include "simulator/refusal_codes.h"
#include "simulator/statistics_record.h"

namespace sim {

StationDriver::StationDriver(const DriverConfig& config, platform::Clock& clock, FILE* log)
    : clock_(clock), startMs_(clock.NowMs()), log_(log) {
    uint32_t instances = config.instances;
    if (instances < 1) instances = 1;
    if (instances > kMaxInstances) instances = kMaxInstances;
    stations_.reserve(instances);
    for (uint32_t i = 0; i < instances; ++i) {
        StationConfig station;
        station.attachment = config.attachment;
        station.scenario = i == 0 ? config.scenario : Scenario::kHealthy;
        station.seed = config.seed;
        station.instance = i;
        station.uptimeSeconds = config.uptimeSeconds;
        stations_.emplace_back(station);
    }
}

uint32_t StationDriver::Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                              uint8_t* output, uint32_t outputLength, uint32_t* answerLength) {
    *answerLength = 0;
    // The answer may overwrite the request, so what the log shows is taken first.
    uint32_t requestWords[4] = {};
    for (uint32_t w = 0; w < 4 && 4 * w + 4 <= inputLength; ++w) {
        requestWords[w] = wire::GetU32(input + 4 * w);
    }
    const uint64_t now = ModelNowMs();
    uint32_t status = kRefuseUnknownControl;
    if (controlCode == kIoctlSmtGet) {
        status = ServeSmtGet(now, input, inputLength, output, outputLength, answerLength);
    } else if (controlCode == kIoctlDriverStats) {
        status = ServeStatistics(now, input, inputLength, output, outputLength, answerLength);
    }
    if (status != 0) *answerLength = 0;
    LogRequest(now, controlCode, requestWords, inputLength, status);
    return status;
}

uint64_t StationDriver::ModelNowMs() const {
    const uint64_t clockMs = clock_.NowMs();
    return clockMs > startMs_ ? clockMs - startMs_ : 0;
}

void StationDriver::CatchUp() {
    const uint64_t now = ModelNowMs();
    for (Station& station : stations_)
        station.AdvanceTo(now);
}

Station* StationDriver::StationAt(uint32_t instance, uint64_t now) {
    if (instance >= stations_.size()) return nullptr;
    Station& station = stations_[instance];
    station.AdvanceTo(now);
    return &station;
}

uint32_t StationDriver::ServeSmtGet(uint64_t now, const uint8_t* input, uint32_t inputLength,
                                    uint8_t* output, uint32_t outputLength,
                                    uint32_t* answerLength) {
    if (inputLength != kSmtBufferSize || outputLength != kSmtBufferSize) return kRefuseBadLength;
    const uint32_t instance = wire::GetU32(input);
    const uint32_t code = wire::GetU32(input + 4);
    const uint32_t answerSize = wire::GetU32(input + 8);
    const uint32_t index = wire::GetU32(input + 12);
    Station* station = StationAt(instance, now);
    if (station == nullptr) return kRefuseInstance;
    if (answerSize == 0 || answerSize > kMaxAnswerSize) return kRefuseBadLength;
    if (station->RefusesRequests()) return kRefuseNotReady;
    std::memmove(output, input, kSmtHeaderSize);
    std::memset(output + kSmtHeaderSize, 0, kMaxAnswerSize);
    const uint32_t status =
        AnswerSmtGet(*station, code, index, output + kSmtHeaderSize, answerSize);
    if (status == 0) *answerLength = kSmtBufferSize;
    return status;
}

uint32_t StationDriver::ServeStatistics(uint64_t now, const uint8_t* input, uint32_t inputLength,
                                        uint8_t* output, uint32_t outputLength,
                                        uint32_t* answerLength) {
    if (inputLength != kStatisticsRecordSize || outputLength != kStatisticsRecordSize) {
        return kRefuseBadLength;
    }
    const uint32_t instance = wire::GetU32(input);
    Station* station = StationAt(instance, now);
    if (station == nullptr) return kRefuseInstance;
    if (station->RefusesRequests()) return kRefuseNotReady;
    FillStatisticsRecord(*station, instance, output);
    *answerLength = kStatisticsRecordSize;
    return 0;
}

void StationDriver::LogRequest(uint64_t now, uint32_t controlCode,
                               const uint32_t (&requestWords)[4], uint32_t inputLength,
                               uint32_t status) const {
    if (log_ == nullptr) return;
    const unsigned long long seconds = now / 1000;
    const unsigned millis = static_cast<unsigned>(now % 1000);
    char outcome[32];
    if (status == 0) {
        std::snprintf(outcome, sizeof outcome, "served");
    } else {
        std::snprintf(outcome, sizeof outcome, "refused 0x%02X", status);
    }
    if (controlCode == kIoctlSmtGet && inputLength >= kSmtHeaderSize) {
        std::fprintf(log_, "qd4682sim: %llu.%03u s SMT_GET instance %u code 0x%04X index %u: %s\n",
                     seconds, millis, requestWords[0], requestWords[1], requestWords[3], outcome);
    } else if (controlCode == kIoctlDriverStats && inputLength >= 4) {
        std::fprintf(log_, "qd4682sim: %llu.%03u s DRIVER_STATS instance %u: %s\n", seconds, millis,
                     requestWords[0], outcome);
    } else {
        std::fprintf(log_, "qd4682sim: %llu.%03u s control 0x%08X, %u bytes: %s\n", seconds, millis,
                     controlCode, inputLength, outcome);
    }
}

}  // namespace sim
