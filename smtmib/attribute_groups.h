// The SMT 7.3 attribute groups the station monitor reads, as the driver answers them: each
// group code with the parameter types of its records, in slot order. The stand-in driver
// serves its groups from this same table, so both sides agree on what a group holds, and the
// station snapshot lays its slots out from it at compile time.
#pragma once

#include <cstddef>
#include <cstdint>

struct AttributeGroup {
    uint32_t code;          // the group's request code (SMT 7.3 attribute group identifier)
    const uint16_t* types;  // its parameter types in slot order, ending with 0
};

namespace attribute_types {

inline constexpr uint16_t kStationId[] = {0x100B, 0x100D, 0x100E, 0x100F,
                                          0x1010, 0x1011, 0x1012, 0};
inline constexpr uint16_t kStationConfig[] = {0x1015, 0x1016, 0x1017, 0x1018, 0x1019,
                                              0x101A, 0x101B, 0x101D, 0x101E, 0x101F,
                                              0x1020, 0x1021, 0x1022, 0};
inline constexpr uint16_t kSmtStatus[] = {0x1029, 0x102A, 0x102B, 0x102C, 0x102D, 0x102E, 0};
inline constexpr uint16_t kMibOperation[] = {0x1033, 0x1034, 0x1035, 0x1036, 0};
inline constexpr uint16_t kMacCapability[] = {0x200B, 0x200C, 0x200D, 0x200E, 0};
inline constexpr uint16_t kMacConfig[] = {0x2016, 0x2017, 0x2018, 0x2019, 0x201A, 0x201B,
                                          0x201D, 0x2020, 0x2021, 0x2022, 0};
inline constexpr uint16_t kMacAddress[] = {0x2029, 0x202C, 0x202D, 0};
inline constexpr uint16_t kMacOperation[] = {0x2033, 0x2034, 0x2035, 0x2036, 0x2038, 0x2039,
                                             0x203A, 0x203B, 0x203C, 0x203D, 0x203E, 0};
inline constexpr uint16_t kMacCounter[] = {0x2047, 0x2048, 0x2049, 0x204A, 0x2051, 0x2052,
                                           0x2053, 0x2054, 0x2055, 0x2056, 0};
inline constexpr uint16_t kMacFrameError[] = {0x205F, 0x2060, 0};
inline constexpr uint16_t kMacNotCopied[] = {0x2067, 0x2069, 0};
inline constexpr uint16_t kMacStatus[] = {0x206F, 0x2070, 0x2071, 0x2072, 0x2073,
                                          0x2074, 0x2075, 0x2076, 0};
inline constexpr uint16_t kPathConfig[] = {0x320B, 0x320D, 0x320E, 0x320F, 0x3210, 0x3212,
                                           0x3213, 0x3214, 0x3215, 0x3216, 0x3217, 0};
inline constexpr uint16_t kPortConfig[] = {0x400C, 0x400D, 0x400E, 0x400F, 0x4010, 0x4011, 0x4012,
                                           0x4013, 0x4015, 0x4016, 0x4017, 0x401D, 0};
inline constexpr uint16_t kPortOperation[] = {0x401F, 0x4021, 0x4022, 0};
inline constexpr uint16_t kPortErrorCounters[] = {0x4029, 0x402A, 0};
inline constexpr uint16_t kPortLer[] = {0x4033, 0x4034, 0x4035, 0x403A, 0x403B, 0};
inline constexpr uint16_t kPortStatus[] = {0x403D, 0x403E, 0x403F, 0x4040, 0x4041, 0};

}  // namespace attribute_types

// In the order the monitor searches them; ends with an entry whose code is 0.
inline constexpr AttributeGroup AttributeGroups[] = {
    {0x100A, attribute_types::kStationId},          // SMT station identification
    {0x1014, attribute_types::kStationConfig},      // SMT station configuration
    {0x1028, attribute_types::kSmtStatus},          // SMT status
    {0x1032, attribute_types::kMibOperation},       // SMT MIB operation
    {0x200A, attribute_types::kMacCapability},      // MAC capabilities
    {0x2014, attribute_types::kMacConfig},          // MAC configuration
    {0x2028, attribute_types::kMacAddress},         // MAC address
    {0x2032, attribute_types::kMacOperation},       // MAC operation
    {0x2046, attribute_types::kMacCounter},         // MAC counters
    {0x205A, attribute_types::kMacFrameError},      // MAC frame error condition
    {0x2064, attribute_types::kMacNotCopied},       // MAC not-copied condition
    {0x206E, attribute_types::kMacStatus},          // MAC status
    {0x320A, attribute_types::kPathConfig},         // PATH configuration
    {0x400A, attribute_types::kPortConfig},         // PORT configuration
    {0x401E, attribute_types::kPortOperation},      // PORT operation
    {0x4028, attribute_types::kPortErrorCounters},  // PORT error counters
    {0x4032, attribute_types::kPortLer},            // PORT link error rate
    {0x403C, attribute_types::kPortStatus},         // PORT status
    {0, nullptr},
};

// The group entry for `code`, or nullptr when no group has that code.
constexpr const AttributeGroup* FindAttributeGroup(uint32_t code) {
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group) {
        if (group->code == code) return group;
    }
    return nullptr;
}

// Number of parameter types of a group (its slot count).
constexpr size_t GroupTypeCount(const AttributeGroup& group) {
    size_t count = 0;
    while (group.types[count] != 0)
        ++count;
    return count;
}

// A PORT group is asked once per port: its slots are there twice.
constexpr bool IsPortGroup(uint32_t code) {
    return (code & 0xF000u) == 0x4000u;
}

// Single attributes requested by their own parameter type, outside any group.
constexpr uint32_t kOpVersionIdType = 0x100D;
constexpr uint32_t kNonMasterCtType = 0x1016;
