// SMT attribute requests answered from a station: single attributes and attribute groups,
// written as SMT 7.3 parameter records (16-bit type, 16-bit length, the value; all
// big-endian). Values of the MAC, PATH and PORT objects begin with two zero bytes and the
// resource index; values of the SMT object begin with their data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simulator/station_model.h"
#include "simulator/value_writer.h"

namespace sim {

// The value of attribute `type` of the object with resource `index`. The SMT object, of which
// a station has one, takes any index; the MAC and the PATH have index 1, the ports 1 and (on
// a dual attachment station) 2. False when the station has no such attribute or resource.
bool EncodeAttribute(const Station& station, uint16_t type, uint32_t index, AttributeValue* value);

// Answers request `code` (an attribute group or a single attribute type) for resource
// `index` with records written from the start of `area`, at most `size` bytes; a group's
// records come in the order of its list. Returns 0, or the refusal status (refusal_codes.h).
uint32_t AnswerSmtGet(const Station& station, uint32_t code, uint32_t index, uint8_t* area,
                      size_t size);

}  // namespace sim
