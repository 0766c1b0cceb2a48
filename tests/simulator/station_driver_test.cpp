// The device the monitors talk to: request buffers in, answer buffers or refusals out.
#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "platform/wire/device_wire.h"
#include "smtmib/attribute_groups.h"
#include "simulator/refusal_codes.h"
#include "simulator/station_driver.h"
#include "simulator/statistics_record.h"
#include "tests/simulator/wire_client.h"

namespace {

using sim::Attachment;
using sim::Scenario;

struct Answer {
    uint32_t status;
    uint32_t length;
    std::vector<uint8_t> bytes;
};

class StationDriverTest : public ::testing::Test {
  protected:
    void Make(uint32_t instances, Attachment attachment = Attachment::kDual,
              Scenario scenario = Scenario::kHealthy) {
        sim::DriverConfig config;
        config.instances = instances;
        config.attachment = attachment;
        config.scenario = scenario;
        config.seed = 11;
        driver_ = std::make_unique<sim::StationDriver>(config, clock_);
    }

    Answer Call(uint32_t controlCode, std::vector<uint8_t> input, uint32_t outputLength) {
        Answer a;
        a.bytes.assign(outputLength, 0xEE);
        a.length = 12345;
        a.status = driver_->Serve(controlCode, input.data(), static_cast<uint32_t>(input.size()),
                                  a.bytes.data(), outputLength, &a.length);
        return a;
    }

    Answer SmtGet(uint32_t instance, uint32_t code, uint32_t index) {
        return Call(sim::kIoctlSmtGet, sim_test::SmtGetBuffer(instance, code, index),
                    sim::kSmtBufferSize);
    }

    Answer Statistics(uint32_t instance) {
        std::vector<uint8_t> record(sim::kStatisticsRecordSize, 0);
        wire::PutU32(record.data(), instance);
        return Call(sim::kIoctlDriverStats, record, sim::kStatisticsRecordSize);
    }

    platform::VirtualClock clock_;
    std::unique_ptr<sim::StationDriver> driver_;
};

uint16_t Big16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}

struct Refusal {
    const char* what;
    uint32_t controlCode;
    uint32_t inputLength;
    uint32_t outputLength;
    uint32_t words[4];  // instance, code, answer size, index
    uint32_t status;
};

const Refusal kRefusals[] = {
    {"input one byte short", sim::kIoctlSmtGet, 2063, 2064, {0, 0x100A, 512, 0}, 0x57},
    {"output too small", sim::kIoctlSmtGet, 2064, 2000, {0, 0x100A, 512, 0}, 0x57},
    {"statistics too short", sim::kIoctlDriverStats, 144, 148, {0}, 0x57},
    {"statistics output too long", sim::kIoctlDriverStats, 148, 2064, {0}, 0x57},
    {"instance not served", sim::kIoctlSmtGet, 2064, 2064, {2, 0x100A, 512, 0}, 0x1F},
    {"instance far off", sim::kIoctlSmtGet, 2064, 2064, {0xFFFFFFFF, 0x100A, 512, 0}, 0x1F},
    {"statistics of an instance not served", sim::kIoctlDriverStats, 148, 148, {2}, 0x1F},
    {"no such attribute", sim::kIoctlSmtGet, 2064, 2064, {0, 0x100C, 512, 0}, 0x32},
    {"code beyond 16 bits", sim::kIoctlSmtGet, 2064, 2064, {0, 0x1100A, 512, 0}, 0x32},
    {"code 0", sim::kIoctlSmtGet, 2064, 2064, {0, 0, 512, 0}, 0x32},
    {"MAC 2", sim::kIoctlSmtGet, 2064, 2064, {0, 0x2014, 512, 2}, 0x32},
    {"MAC 0", sim::kIoctlSmtGet, 2064, 2064, {0, 0x2014, 512, 0}, 0x32},
    {"PATH 2", sim::kIoctlSmtGet, 2064, 2064, {0, 0x320A, 512, 2}, 0x32},
    {"third port", sim::kIoctlSmtGet, 2064, 2064, {0, 0x400A, 512, 3}, 0x32},
    {"answer size 0", sim::kIoctlSmtGet, 2064, 2064, {0, 0x100A, 0, 0}, 0x57},
    {"answer size beyond the buffer", sim::kIoctlSmtGet, 2064, 2064, {0, 0x100A, 2049, 0}, 0x57},
    {"answer size too small", sim::kIoctlSmtGet, 2064, 2064, {0, 0x2046, 64, 1}, 0x7A},
    {"unknown control code", 0xA0286000, 2064, 2064, {0, 0x100A, 512, 0}, 0x01},
};

TEST_F(StationDriverTest, RefusesWhatItCannotAnswer) {
    Make(2);
    for (const Refusal& r : kRefusals) {
        std::vector<uint8_t> input(r.inputLength, 0);
        for (size_t w = 0; w < 4 && 4 * w + 4 <= input.size(); ++w) {
            wire::PutU32(input.data() + 4 * w, r.words[w]);
        }
        const Answer a = Call(r.controlCode, input, r.outputLength);
        EXPECT_EQ(a.status, r.status) << r.what;
        EXPECT_EQ(a.length, 0u) << r.what;
    }
}

// Each group comes back as its records in the order of its list, after the request's header
// words, with a zero type after the last record; the answer is the whole buffer.
TEST_F(StationDriverTest, GroupsAnswerWithTheirRecordsInListOrder) {
    Make(3);
    for (const AttributeGroup* g = AttributeGroups; g->code != 0; ++g) {
        // The monitor asks the SMT groups with index 0, except the MIB operation group (1).
        const uint32_t index =
            g->code < 0x2000 && g->code != 0x1032 ? 0 : (g->code >= 0x4000 ? 2 : 1);
        const Answer a = SmtGet(2, g->code, index);
        ASSERT_EQ(a.status, 0u) << std::hex << g->code;
        ASSERT_EQ(a.length, sim::kSmtBufferSize);
        EXPECT_EQ(wire::GetU32(a.bytes.data()), 2u);
        EXPECT_EQ(wire::GetU32(a.bytes.data() + 4), g->code);
        EXPECT_EQ(wire::GetU32(a.bytes.data() + 8), 512u);
        EXPECT_EQ(wire::GetU32(a.bytes.data() + 12), index);
        size_t at = sim::kSmtHeaderSize;
        for (const uint16_t* type = g->types; *type != 0; ++type) {
            ASSERT_LE(at + 4, a.bytes.size());
            EXPECT_EQ(Big16(a.bytes, at), *type) << std::hex << g->code;
            const uint16_t length = Big16(a.bytes, at + 2);
            if (*type >= 0x2000) {
                EXPECT_EQ(Big16(a.bytes, at + 6), index) << std::hex << *type;
            }
            at += 4 + length;
        }
        EXPECT_LE(at, sim::kSmtHeaderSize + 512);
        EXPECT_EQ(Big16(a.bytes, at), 0) << "no end after group " << std::hex << g->code;
        for (size_t i = at; i < a.bytes.size(); ++i)
            ASSERT_EQ(a.bytes[i], 0) << i;
    }
}

TEST_F(StationDriverTest, SingleAttributesAnswerWithOneRecord) {
    Make(1);
    for (uint32_t code : {0x100Du, 0x1016u}) {
        const Answer a = SmtGet(0, code, 0);
        ASSERT_EQ(a.status, 0u);
        EXPECT_EQ(Big16(a.bytes, 16), code);
        EXPECT_EQ(Big16(a.bytes, 18), 4);
        EXPECT_EQ(Big16(a.bytes, 24), 0);
    }
    EXPECT_EQ(SmtGet(0, 0x100D, 0).bytes[23], 2);
    EXPECT_EQ(SmtGet(0, 0x1016, 0).bytes[23], 2);
}

// The monitors pass one buffer for the request and its answer.
TEST_F(StationDriverTest, AnswersIntoTheRequestBuffer) {
    Make(1);
    std::vector<uint8_t> buffer = sim_test::SmtGetBuffer(0, 0x1016, 0);
    uint32_t length = 0;
    ASSERT_EQ(driver_->Serve(sim::kIoctlSmtGet, buffer.data(), sim::kSmtBufferSize, buffer.data(),
                             sim::kSmtBufferSize, &length),
              0u);
    EXPECT_EQ(wire::GetU32(buffer.data() + 4), 0x1016u);
    EXPECT_EQ(Big16(buffer, 16), 0x1016);
    std::vector<uint8_t> record(sim::kStatisticsRecordSize, 0);
    wire::PutU32(record.data(), 0);
    ASSERT_EQ(driver_->Serve(sim::kIoctlDriverStats, record.data(), sim::kStatisticsRecordSize,
                             record.data(), sim::kStatisticsRecordSize, &length),
              0u);
    EXPECT_EQ(length, sim::kStatisticsRecordSize);
}

TEST_F(StationDriverTest, StatisticsGrowWithTheClock) {
    Make(2);
    const Answer first = Statistics(1);
    ASSERT_EQ(first.status, 0u);
    ASSERT_EQ(first.length, sim::kStatisticsRecordSize);
    EXPECT_EQ(wire::GetU32(first.bytes.data() + 4 * sim::stat_word::kInstance), 1u);
    clock_.SleepMs(10000);
    const Answer later = Statistics(1);
    const uint32_t sent = wire::GetU32(later.bytes.data()) - wire::GetU32(first.bytes.data());
    EXPECT_GE(sent, 150u * 10);
    EXPECT_LE(sent, 400u * 10);
}

// The scenario is instance 0's; the other adapters stay healthy.
TEST_F(StationDriverTest, TheScenarioPlaysOnInstanceZeroOnly) {
    Make(3, Attachment::kDual, Scenario::kOldFirmware);
    EXPECT_EQ(SmtGet(0, 0x100D, 0).bytes[23], 3);
    EXPECT_EQ(SmtGet(1, 0x100D, 0).bytes[23], 2);
    EXPECT_EQ(SmtGet(2, 0x100D, 0).bytes[23], 2);
}

TEST_F(StationDriverTest, FlakyAdapterRefusesAboutOneRequestInTen) {
    Make(2, Attachment::kDual, Scenario::kFlaky);
    int refused = 0;
    int requests = 0;
    for (int i = 0; i < 1200; ++i, clock_.SleepMs(250)) {
        const Answer a = i % 2 == 0 ? SmtGet(0, 0x2014, 1) : Statistics(0);
        ++requests;
        if (a.status != 0) {
            EXPECT_EQ(a.status, sim::kRefuseNotReady);
            ++refused;
        }
        EXPECT_EQ(SmtGet(1, 0x2014, 1).status, 0u) << "instance 1 is healthy";
    }
    EXPECT_GE(refused, requests / 20);
    EXPECT_LE(refused, requests * 3 / 20);
}

}  // namespace
