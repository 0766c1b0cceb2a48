#include "tests/robustness/faulty_run.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "common/device_channel.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/socket_transport.h"
#include "smtmib/smt_retrieval.h"

namespace {

uint32_t Word(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

void AnswerOverrides::Override(uint32_t code, uint32_t index, FakeStation::Bytes answer) {
    answer.resize(kAnswerAreaSize, 0);
    overrides_[{code, index}] = std::move(answer);
}

uint32_t AnswerOverrides::Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                                uint8_t* output, uint32_t outputLength, uint32_t* answerLength) {
    const uint32_t status =
        station_.Serve(controlCode, input, inputLength, output, outputLength, answerLength);
    if (status != 0 || controlCode != IOCTL_SMT_GET || *answerLength != kSmtRequestSize) {
        return status;
    }
    auto answer = overrides_.find({Word(output + 4), Word(output + 12)});
    if (answer != overrides_.end()) {
        std::memcpy(output + kAnswerAreaOffset, answer->second.data(), kAnswerAreaSize);
    }
    return status;
}

FaultyRun::FaultyRun() {
    h.station.FillHealthy(2);
    for (uint32_t word = 0; word < 37; ++word)
        h.station.stats[word] = 1000 * word + 7;
    h.SetDevicePresent(false);  // the station answers on the socket only
    platform::SetOpenTimeoutMs(kPatientLimitMs);
    platform::SetReplyTimeoutMs(kPatientLimitMs);
    StartDriver();
}

FaultyRun::~FaultyRun() {
    driver.reset();
    platform::SetOpenTimeoutMs(platform::device::kDefaultOpenTimeoutMs);
    platform::SetReplyTimeoutMs(platform::device::kDefaultReplyTimeoutMs);
}

void FaultyRun::StartDriver() {
    driver = std::make_unique<test_support::ScriptedSocketDriver>("qd4682", &answers);
}

void FaultyRun::Stall(int requests) {
    platform::SetReplyTimeoutMs(kStallReplyLimitMs);
    driver->InjectFault(test_support::DriverFault::kStall, requests);
}

void FaultyRun::StopStalling() {
    platform::SetReplyTimeoutMs(kPatientLimitMs);
}

bool FaultyRun::WaitForRequestsReceived(int count) const {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (driver->RequestsReceived() < count) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

RecordWriter& RecordWriter::Add(uint16_t type, const FakeStation::Bytes& value,
                                uint16_t claimedLength) {
    const uint8_t header[] = {static_cast<uint8_t>(type >> 8), static_cast<uint8_t>(type),
                              static_cast<uint8_t>(claimedLength >> 8),
                              static_cast<uint8_t>(claimedLength)};
    bytes_.insert(bytes_.end(), header, header + sizeof header);
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    return *this;
}
