// The attributes the station serves, one table per SMT object: each row a parameter type and
// how its value is written from the station at its current time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simulator/station_model.h"
#include "simulator/value_writer.h"

namespace sim {

struct EncodeContext {
    const Station& station;
    const StationState& state;
    size_t port;  // 0 or 1: the port of a PORT attribute
};

using Encoder = void (*)(const EncodeContext& context, ValueWriter& value);

struct AttributeRow {
    uint16_t type;
    Encoder encode;  // writes the attribute's own data, after any pad-and-index field
};

struct AttributeTable {
    const AttributeRow* rows;
    size_t count;
};

AttributeTable StationAttributes();  // the SMT object
AttributeTable MacAttributes();
AttributeTable PathAttributes();
AttributeTable PortAttributes();

}  // namespace sim
