// The statistics monitor's keys: the device-instance dialog, the keys that end it and the keys
// that only refresh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32_on_linux/in_process_device.h"
#include "tests/harness/monitor_harness.h"

namespace {

constexpr int kEnter = 10, kEsc = 27, kBackspace = 8;

bool IsBlank(const vtwin::ScreenImage& image) {
    if (image.text.empty()) return false;
    for (const std::string& row : image.text) {
        if (row.find_first_not_of(' ') != std::string::npos) return false;
    }
    return true;
}

// Stands between the monitor and the fake station and notes, for every request, the instance
// it carries and whether the screen shown at that moment was blank.
class RequestObserver : public wire::DeviceHandler {
  public:
    explicit RequestObserver(MonitorHarness& harness) : harness_(harness) {
        platform::RegisterInProcessDevice("qd4682", this);
    }
    ~RequestObserver() override { platform::RegisterInProcessDevice("qd4682", nullptr); }

    struct Seen {
        uint32_t instance;
        bool blankScreen;
    };
    std::vector<Seen> seen;

    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        const uint32_t status = harness_.station.Serve(controlCode, input, inputLength, output,
                                                       outputLength, answerLength);
        seen.push_back(
            {harness_.station.requests.back().instance, IsBlank(harness_.display.Image())});
        return status;
    }

  private:
    MonitorHarness& harness_;
};

TEST(TallyerKeys, DeviceInstanceDialogChangesEveryLaterRequest) {
    const std::string enter(1, kEnter);
    const struct {
        const char* name;
        std::string keys;
        uint32_t instance;
        int clears;
    } cases[] = {
        {"1 then Enter", "1" + enter, 1, 1},
        {"Enter alone keeps the instance", enter, 0, 0},
        {"3 refused, then 2", "3" + enter + "2" + enter, 2, 1},
    };
    for (const auto& c : cases) {
        MonitorHarness h;
        h.station.stats[5] = 55;
        RequestObserver observer(h);
        size_t beforeDialog = 0;
        h.At(1400, [&] { beforeDialog = observer.seen.size(); });
        h.KeyAt(1500, '1');
        h.KeysAt(1510, c.keys);
        EXPECT_EQ(h.RunTallyer(4600), 0) << c.name;
        ASSERT_GT(observer.seen.size(), beforeDialog + 3) << c.name;
        int clears = 0;
        for (size_t i = 0; i < observer.seen.size(); ++i) {
            const uint32_t expected = i < beforeDialog ? 0 : c.instance;
            EXPECT_EQ(observer.seen[i].instance, expected) << c.name << ", request " << i;
            if (i > 0 && observer.seen[i].blankScreen) ++clears;
        }
        EXPECT_EQ(clears, c.clears) << c.name;
    }
}

struct KeyRun {
    size_t requestsAt1900;
    std::vector<std::string> rowsAt1900;
    size_t requests;
    int status;
};

KeyRun RunWithKey(int key) {
    MonitorHarness h;
    for (size_t i = 0; i < h.station.stats.size(); ++i)
        h.station.stats[i] = static_cast<uint32_t>(40 + i);
    KeyRun run{};
    if (key != 0) h.KeyAt(1500, key);
    h.At(1900, [&] {
        run.requestsAt1900 = h.station.requests.size();
        run.rowsAt1900 = h.Rows(1, 23);
    });
    run.status = h.RunTallyer(3500);
    run.requests = h.station.requests.size();
    return run;
}

TEST(TallyerKeys, OtherKeysOnlyRefreshOnceMore) {
    const KeyRun quiet = RunWithKey(0);
    ASSERT_EQ(quiet.requestsAt1900, 2u);  // at the start and a second later
    const int otherKeys[] = {'x', ' ', '2', '9', kEnter, kBackspace};
    for (int key : otherKeys) {
        const KeyRun run = RunWithKey(key);
        EXPECT_EQ(run.requestsAt1900, quiet.requestsAt1900 + 1) << "key " << key;
        EXPECT_EQ(run.rowsAt1900, quiet.rowsAt1900) << "key " << key;
        EXPECT_EQ(run.status, 0) << "key " << key;
    }
}

TEST(TallyerKeys, ZeroAndEscEndTheProgramWithStatusZero) {
    const int exitKeys[] = {'0', kEsc};
    for (int key : exitKeys) {
        const KeyRun run = RunWithKey(key);
        EXPECT_EQ(run.status, 0) << "key " << key;
        EXPECT_EQ(run.requests, 2u) << "key " << key;  // none after the key
    }
}

}  // namespace
