// The SMT 7.3 attribute groups the station monitor reads, as the driver answers them: each
// group code with the parameter types of its records, in slot order. The stand-in driver
// serves its groups from this same table, so both sides agree on what a group holds.
#pragma once

#include <cstddef>
#include <cstdint>

struct AttributeGroup {
    uint32_t code;          // the group's request code (SMT 7.3 attribute group identifier)
    const uint16_t* types;  // its parameter types in slot order, ending with 0
};

// In the order the monitor searches them; ends with an entry whose code is 0.
extern const AttributeGroup AttributeGroups[];

// The group entry for `code`, or nullptr when no group has that code.
const AttributeGroup* FindAttributeGroup(uint32_t code);
// Number of parameter types of a group (its slot count).
size_t GroupTypeCount(const AttributeGroup& group);

// Single attributes requested by their own parameter type, outside any group.
constexpr uint32_t kOpVersionIdType = 0x100D;
constexpr uint32_t kNonMasterCtType = 0x1016;
