#include "ringeye/delay_dialog.h"

#include "common/number_dialog.h"
#include "ringeye/monitor_state.h"

namespace {

constexpr int kStepsPerSecond = 100;
const NumberDialog kDelayDialog = {
    7,
    35,
    10,
    30,
    "Current Screen Update Rate: ",
    "%d S",
    "Enter New delay Time: ",
    "Choices: 1 to 5 sec",
    24,
    1,
    5,
};

}  // namespace

void DelayDialog() {
    int seconds = 0;
    if (RunNumberDialog(kDelayDialog, RefreshCount / kStepsPerSecond, &seconds)) {
        RefreshCount = seconds * kStepsPerSecond;
    }
}
