#include "tallyer/stats_screen.h"

#include <iterator>

#include "common/counter_rise.h"
#include "common/device_channel.h"

namespace tallyer {

const char CommandBar[] =
    "-- Commands: 0 or <ESC>=EXIT    1=Select Device Instance   ---------------------";

namespace {

// One line per row, transmit counters at column 0 and receive counters at column 40: row r
// shows word 2(r-3) on the left and word 2(r-3)+1 on the right.
struct CounterLine {
    const char* transmitFormat;
    const char* receiveFormat;
    // Both counters of the line count errors: one that rises is marked for one refresh.
    bool errors = false;
};

const CounterLine kCounterLines[] = {
    {"Xmit packets              %12lu", "Recv packets              %12lu"},
    {"Xmit bytes                %12lu", "Recv bytes                %12lu"},
    {"Xmit Broadcast packets    %12lu", "Recv Broadcast packets    %12lu"},
    {"Xmit Broadcast bytes      %12lu", "Recv Broadcast bytes      %12lu"},
    {"Xmit Multicast packets    %12lu", "Recv Multicast packets    %12lu"},
    {"Xmit Multicast bytes      %12lu", "Recv Multicast bytes      %12lu"},
    {"Xmit Loopback packets     %12lu", "Recv Loopback packets     %12lu"},
    {"Xmit Loopback bytes       %12lu", "Recv Loopback bytes       %12lu"},
    {"Xmit Directed packets     %12lu", "Recv Directed packets     %12lu"},
    {"Xmit Directed bytes       %12lu", "Recv Directed bytes       %12lu"},
    {"Xmit errors (Total)       %12lu", "Recv  errors (Total)      %12lu", true},
    {"Xmit port errors          %12lu", "Recv E-Flag errors        %12lu", true},
    {"Xmit abort errors         %12lu", "Recv CRC errors           %12lu", true},
    {"Underrun errors           %12lu", "Overrun errors            %12lu", true},
    {"Xmit parity errors        %12lu", "Recv  parity errors       %12lu", true},
    {"Xmit bad packets          %12lu", "Recv bad packets          %12lu", true},
    {"NO Xmit buffers           %12lu", "Xmit RING FULL            %12lu", true},
    {"Total FSI Interrupts      %12lu", "Total RC Interrupts       %12lu"},
};
static_assert(std::size(kCounterLines) * 2 == kStatsWords - 1, "36 counters are shown");

constexpr int kFirstCounterRow = 3, kReceiveColumn = 40;
// Each line is a 26-character label and the value right-aligned in 12 places.
constexpr int kValueOffset = 26, kValueWidth = 12;

// The counters of the previous successful refresh and the adapter they came from.
DriverStatsRecord PreviousRecord;
int32_t PreviousInstance = 0;
bool PreviousKnown = false;

// Marks the digits of the counter at (row, column) when it rose since the previous refresh.
// Writing the line gave its cells the normal style, so a counter that stopped rising is plain.
void MarkIfRose(int row, int column, const DriverStatsRecord& record, int word) {
    const uint32_t now = record.words[word];
    if (!PreviousKnown || !Rose(now, PreviousRecord.words[word])) return;
    int digits = 1;
    for (uint32_t rest = now / 10; rest != 0; rest /= 10)
        ++digits;
    vtSetStyle(MainWindow, row, column + kValueOffset + kValueWidth - digits, digits,
               kVtStyleTrouble);
}

}  // namespace

void PaintStatistics(const DriverStatsRecord& record) {
    // A reading of another adapter is no earlier reading of this one.
    if (PreviousInstance != DeviceInstance) PreviousKnown = false;
    vtMove(MainWindow, 0, 0);
    // A failure report wrote the bar one column further right; the line end wipes its last cell.
    vtPrint("%s\n", CommandBar);
    vtPrintAt(1, 0, "\n");  // wipes an old error line
    vtMove(MainWindow, 2, 0);
    vtPutString(MainWindow, "Xmit statistics:");
    vtMove(MainWindow, 2, kReceiveColumn);
    vtPutString(MainWindow, "Recv statistics:");
    int row = kFirstCounterRow;
    int word = 0;
    for (const CounterLine& line : kCounterLines) {
        vtPrintAt(row, 0, line.transmitFormat, static_cast<unsigned long>(record.words[word]));
        vtPrintAt(row, kReceiveColumn, line.receiveFormat,
                  static_cast<unsigned long>(record.words[word + 1]));
        if (line.errors) {
            MarkIfRose(row, 0, record, word);
            MarkIfRose(row, kReceiveColumn, record, word + 1);
        }
        ++row;
        word += 2;
    }
    PreviousKnown = true;
    PreviousRecord = record;
    PreviousInstance = DeviceInstance;
}

void ForgetCounterReadings() {
    PreviousKnown = false;
}

}  // namespace tallyer
