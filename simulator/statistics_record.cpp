#include "simulator/statistics_record.h"

#include "platform/wire/device_wire.h"
#include "simulator/station_model.h"

namespace sim {

void FillStatisticsRecord(const Station& station, uint32_t instance,
                          uint8_t record[kStatisticsRecordSize]) {
    for (size_t w = 0; w < kStatisticsCounters; ++w) {
        wire::PutU32(record + 4 * w, station.Counter(StatisticId(w)));
    }
    wire::PutU32(record + 4 * stat_word::kInstance, instance);
}

}  // namespace sim
