#include "smtmib/attribute_groups.h"

namespace {

const uint16_t kStationIdTypes[] = {0x100B, 0x100D, 0x100E, 0x100F, 0x1010, 0x1011, 0x1012, 0};
const uint16_t kStationConfigTypes[] = {0x1015, 0x1016, 0x1017, 0x1018, 0x1019, 0x101A, 0x101B,
                                        0x101D, 0x101E, 0x101F, 0x1020, 0x1021, 0x1022, 0};
const uint16_t kSmtStatusTypes[] = {0x1029, 0x102A, 0x102B, 0x102C, 0x102D, 0x102E, 0};
const uint16_t kMibOperationTypes[] = {0x1033, 0x1034, 0x1035, 0x1036, 0};
const uint16_t kMacCapabilityTypes[] = {0x200B, 0x200C, 0x200D, 0x200E, 0};
const uint16_t kMacConfigTypes[] = {0x2016, 0x2017, 0x2018, 0x2019, 0x201A, 0x201B,
                                    0x201D, 0x2020, 0x2021, 0x2022, 0};
const uint16_t kMacAddressTypes[] = {0x2029, 0x202C, 0x202D, 0};
const uint16_t kMacOperationTypes[] = {0x2033, 0x2034, 0x2035, 0x2036, 0x2038, 0x2039,
                                       0x203A, 0x203B, 0x203C, 0x203D, 0x203E, 0};
const uint16_t kMacCounterTypes[] = {0x2047, 0x2048, 0x2049, 0x204A, 0x2051, 0x2052,
                                     0x2053, 0x2054, 0x2055, 0x2056, 0};
const uint16_t kMacFrameErrorTypes[] = {0x205F, 0x2060, 0};
const uint16_t kMacNotCopiedTypes[] = {0x2067, 0x2069, 0};
const uint16_t kMacStatusTypes[] = {0x206F, 0x2070, 0x2071, 0x2072, 0x2073,
                                    0x2074, 0x2075, 0x2076, 0};
const uint16_t kPathConfigTypes[] = {0x320B, 0x320D, 0x320E, 0x320F, 0x3210, 0x3212,
                                     0x3213, 0x3214, 0x3215, 0x3216, 0x3217, 0};
const uint16_t kPortConfigTypes[] = {0x400C, 0x400D, 0x400E, 0x400F, 0x4010, 0x4011, 0x4012,
                                     0x4013, 0x4015, 0x4016, 0x4017, 0x401D, 0};
const uint16_t kPortOperationTypes[] = {0x401F, 0x4021, 0x4022, 0};
const uint16_t kPortErrorCounterTypes[] = {0x4029, 0x402A, 0};
const uint16_t kPortLerTypes[] = {0x4033, 0x4034, 0x4035, 0x403A, 0x403B, 0};
const uint16_t kPortStatusTypes[] = {0x403D, 0x403E, 0x403F, 0x4040, 0x4041, 0};

}  // namespace

const AttributeGroup AttributeGroups[] = {
    {0x100A, kStationIdTypes},         // SMT station identification
    {0x1014, kStationConfigTypes},     // SMT station configuration
    {0x1028, kSmtStatusTypes},         // SMT status
    {0x1032, kMibOperationTypes},      // SMT MIB operation
    {0x200A, kMacCapabilityTypes},     // MAC capabilities
    {0x2014, kMacConfigTypes},         // MAC configuration
    {0x2028, kMacAddressTypes},        // MAC address
    {0x2032, kMacOperationTypes},      // MAC operation
    {0x2046, kMacCounterTypes},        // MAC counters
    {0x205A, kMacFrameErrorTypes},     // MAC frame error condition
    {0x2064, kMacNotCopiedTypes},      // MAC not-copied condition
    {0x206E, kMacStatusTypes},         // MAC status
    {0x320A, kPathConfigTypes},        // PATH configuration
    {0x400A, kPortConfigTypes},        // PORT configuration
    {0x401E, kPortOperationTypes},     // PORT operation
    {0x4028, kPortErrorCounterTypes},  // PORT error counters
    {0x4032, kPortLerTypes},           // PORT link error rate
    {0x403C, kPortStatusTypes},        // PORT status
    {0, nullptr},
};

const AttributeGroup* FindAttributeGroup(uint32_t code) {
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group) {
        if (group->code == code) return group;
    }
    return nullptr;
}

size_t GroupTypeCount(const AttributeGroup& group) {
    size_t count = 0;
    while (group.types[count] != 0)
        ++count;
    return count;
}
