#include "smtmib/mib_tables.h"

#include <cstdint>
#include <iterator>

namespace {

constexpr int64_t kTimeMax = 2147483647;  // FddiTimeNano, FddiTimeMilli
constexpr int64_t kCounterMax = 4294967295;

// fddimibSMTEntry, 1.3.6.1.2.1.10.15.73.1.2.1
const MibColumn kSmtColumns[] = {
    {1, "fddimibSMTIndex", 0, Conversion::kSmtIndex, 1, 65535},
    {2, "fddimibSMTStationId", 0x100B, Conversion::kStationId, 0, 0},
    {3, "fddimibSMTOpVersionId", 0x100D, Conversion::kInteger, 1, 65535},
    {4, "fddimibSMTHiVersionId", 0x100E, Conversion::kInteger, 1, 65535},
    {5, "fddimibSMTLoVersionId", 0x100F, Conversion::kInteger, 1, 65535},
    {6, "fddimibSMTUserData", 0x1011, Conversion::kUserData, 0, 0},
    {7, "fddimibSMTMIBVersionId", 0x1012, Conversion::kInteger, 0, 65535},
    {8, "fddimibSMTMACCts", 0x1015, Conversion::kInteger, 0, 255},
    {9, "fddimibSMTNonMasterCts", 0x1016, Conversion::kInteger, 0, 2},
    {10, "fddimibSMTMasterCts", 0x1017, Conversion::kInteger, 0, 255},
    {11, "fddimibSMTAvailablePaths", 0x1018, Conversion::kInteger, 0, 7},
    {12, "fddimibSMTConfigCapabilities", 0x1019, Conversion::kInteger, 0, 3},
    {13, "fddimibSMTConfigPolicy", 0x101A, Conversion::kInteger, 0, 1},
    {14, "fddimibSMTConnectionPolicy", 0x101B, Conversion::kInteger, 32768, 65535},
    {15, "fddimibSMTTNotify", 0x101D, Conversion::kInteger, 2, 30},
    {16, "fddimibSMTStatRptPolicy", 0x101E, Conversion::kFlag, 1, 2},
    {17, "fddimibSMTTraceMaxExpiration", 0x101F, Conversion::kTimeMilli, 0, kTimeMax},
    {18, "fddimibSMTBypassPresent", 0x1022, Conversion::kFlag, 1, 2},
    {19, "fddimibSMTECMState", 0x1029, Conversion::kEnumeration, 1, 8},
    {20, "fddimibSMTCFState", 0x102A, Conversion::kEnumeration, 1, 13},
    {21, "fddimibSMTRemoteDisconnectFlag", 0x102C, Conversion::kFlag, 1, 2},
    {22, "fddimibSMTStationStatus", 0x102D, Conversion::kEnumeration, 1, 3},
    {23, "fddimibSMTPeerWrapFlag", 0x102E, Conversion::kFlag, 1, 2},
    {24, "fddimibSMTTimeStamp", 0x1033, Conversion::kStampMilli, 0, kTimeMax},
    {25, "fddimibSMTTransitionTimeStamp", 0x1034, Conversion::kStampMilli, 0, kTimeMax},
    // 26 fddimibSMTStationAction: an action, which the driver neither reports nor takes.
};

// fddimibMACEntry, 1.3.6.1.2.1.10.15.73.2.2.1
const MibColumn kMacColumns[] = {
    {1, "fddimibMACSMTIndex", 0, Conversion::kSmtIndex, 1, 65535},
    {2, "fddimibMACIndex", 0, Conversion::kResourceIndex, 1, 65535},
    // 3 fddimibMACIfIndex: the host's interface number, which the driver does not know.
    {4, "fddimibMACFrameStatusFunctions", 0x200B, Conversion::kInteger, 0, 7},
    {5, "fddimibMACTMaxCapability", 0x200D, Conversion::kTimeNano, 0, kTimeMax},
    {6, "fddimibMACTVXCapability", 0x200E, Conversion::kTimeNano, 0, kTimeMax},
    {7, "fddimibMACAvailablePaths", 0x2016, Conversion::kInteger, 0, 7},
    {8, "fddimibMACCurrentPath", 0x2017, Conversion::kEnumeration, 1, 6},
    {9, "fddimibMACUpstreamNbr", 0x2018, Conversion::kLongAddress, 0, 0},
    {10, "fddimibMACDownstreamNbr", 0x2019, Conversion::kLongAddress, 0, 0},
    {11, "fddimibMACOldUpstreamNbr", 0x201A, Conversion::kLongAddress, 0, 0},
    {12, "fddimibMACOldDownstreamNbr", 0x201B, Conversion::kLongAddress, 0, 0},
    {13, "fddimibMACDupAddressTest", 0x201D, Conversion::kEnumeration, 1, 3},
    {14, "fddimibMACRequestedPaths", 0x2020, Conversion::kInteger, 0, 255},
    {15, "fddimibMACDownstreamPORTType", 0x2021, Conversion::kEnumeration, 1, 5},
    {16, "fddimibMACSMTAddress", 0x2029, Conversion::kLongAddress, 0, 0},
    {17, "fddimibMACTReq", 0x2033, Conversion::kTimeNano, 0, kTimeMax},
    {18, "fddimibMACTNeg", 0x2034, Conversion::kTimeNano, 0, kTimeMax},
    {19, "fddimibMACTMax", 0x2035, Conversion::kTimeNano, 0, kTimeMax},
    {20, "fddimibMACTvxValue", 0x2036, Conversion::kTimeNano, 0, kTimeMax},
    {21, "fddimibMACFrameCts", 0x2047, Conversion::kCounter, 0, kCounterMax},
    {22, "fddimibMACCopiedCts", 0x2048, Conversion::kCounter, 0, kCounterMax},
    {23, "fddimibMACTransmitCts", 0x2049, Conversion::kCounter, 0, kCounterMax},
    {24, "fddimibMACErrorCts", 0x2051, Conversion::kCounter, 0, kCounterMax},
    {25, "fddimibMACLostCts", 0x2052, Conversion::kCounter, 0, kCounterMax},
    {26, "fddimibMACFrameErrorThreshold", 0x205F, Conversion::kInteger, 0, 65535},
    {27, "fddimibMACFrameErrorRatio", 0x2060, Conversion::kInteger, 0, 65535},
    {28, "fddimibMACRMTState", 0x206F, Conversion::kEnumeration, 1, 8},
    {29, "fddimibMACDaFlag", 0x2070, Conversion::kFlag, 1, 2},
    {30, "fddimibMACUnaDaFlag", 0x2071, Conversion::kFlag, 1, 2},
    {31, "fddimibMACFrameErrorFlag", 0x2072, Conversion::kFlag, 1, 2},
    {32, "fddimibMACMAUnitdataAvailable", 0x2074, Conversion::kFlag, 1, 2},
    {33, "fddimibMACHardwarePresent", 0x2075, Conversion::kFlag, 1, 2},
    {34, "fddimibMACMAUnitdataEnable", 0x2076, Conversion::kFlag, 1, 2},
};

// fddimibMACCountersEntry, 1.3.6.1.2.1.10.15.73.3.1.1 (indexed like fddimibMACEntry)
const MibColumn kMacCounterColumns[] = {
    {1, "fddimibMACTokenCts", 0x204A, Conversion::kCounter, 0, kCounterMax},
    {2, "fddimibMACTvxExpiredCts", 0x2053, Conversion::kCounter, 0, kCounterMax},
    {3, "fddimibMACNotCopiedCts", 0x2054, Conversion::kCounter, 0, kCounterMax},
    {4, "fddimibMACLateCts", 0x2055, Conversion::kCounter, 0, kCounterMax},
    {5, "fddimibMACRingOpCts", 0x2056, Conversion::kCounter, 0, kCounterMax},
    {6, "fddimibMACNotCopiedRatio", 0x2069, Conversion::kInteger, 0, 65535},
    {7, "fddimibMACNotCopiedFlag", 0x2073, Conversion::kFlag, 1, 2},
    {8, "fddimibMACNotCopiedThreshold", 0x2067, Conversion::kInteger, 0, 65535},
};

// fddimibPATHEntry, 1.3.6.1.2.1.10.15.73.4.2.1
const MibColumn kPathColumns[] = {
    {1, "fddimibPATHSMTIndex", 0, Conversion::kSmtIndex, 1, 65535},
    {2, "fddimibPATHIndex", 0, Conversion::kResourceIndex, 0, 65535},
    {3, "fddimibPATHTVXLowerBound", 0x3215, Conversion::kTimeNano, 0, kTimeMax},
    {4, "fddimibPATHTMaxLowerBound", 0x3216, Conversion::kTimeNano, 0, kTimeMax},
    {5, "fddimibPATHMaxTReq", 0x3217, Conversion::kTimeNano, 0, kTimeMax},
};

// fddimibPATHConfigEntry, 1.3.6.1.2.1.10.15.73.4.3.1, from the PATH configuration (0x3212)
const MibColumn kPathConfigColumns[] = {
    {1, "fddimibPATHConfigSMTIndex", 0, Conversion::kSmtIndex, 1, 65535},
    {2, "fddimibPATHConfigPATHIndex", 0, Conversion::kResourceIndex, 1, 65535},
    {3, "fddimibPATHConfigTokenOrder", 0, Conversion::kTokenOrder, 1, 65535},
    {4, "fddimibPATHConfigResourceType", 0x3212, Conversion::kConfigResourceType, 2, 4},
    {5, "fddimibPATHConfigResourceIndex", 0x3212, Conversion::kConfigResourceIndex, 1, 65535},
    {6, "fddimibPATHConfigCurrentPath", 0x3212, Conversion::kConfigCurrentPath, 1, 6},
};

// fddimibPORTEntry, 1.3.6.1.2.1.10.15.73.5.2.1
const MibColumn kPortColumns[] = {
    {1, "fddimibPORTSMTIndex", 0, Conversion::kSmtIndex, 1, 65535},
    {2, "fddimibPORTIndex", 0, Conversion::kResourceIndex, 1, 65535},
    {3, "fddimibPORTMyType", 0x400C, Conversion::kEnumeration, 1, 5},
    {4, "fddimibPORTNeighborType", 0x400D, Conversion::kEnumeration, 1, 5},
    {5, "fddimibPORTConnectionPolicies", 0x400E, Conversion::kInteger, 0, 3},
    {6, "fddimibPORTMACIndicated", 0x400F, Conversion::kMacIndicated, 1, 4},
    {7, "fddimibPORTCurrentPath", 0x4010, Conversion::kEnumeration, 1, 6},
    {8, "fddimibPORTRequestedPaths", 0x4011, Conversion::kRequestedPaths, 0, 0},
    {9, "fddimibPORTMACPlacement", 0x4012, Conversion::kInteger, 0, 65535},
    {10, "fddimibPORTAvailablePaths", 0x4013, Conversion::kInteger, 0, 7},
    {11, "fddimibPORTPMDClass", 0x4016, Conversion::kEnumeration, 1, 8},
    {12, "fddimibPORTConnectionCapabilities", 0x4017, Conversion::kInteger, 0, 3},
    {13, "fddimibPORTBSFlag", 0x4021, Conversion::kFlag, 1, 2},
    {14, "fddimibPORTLCTFailCts", 0x402A, Conversion::kCounter, 0, kCounterMax},
    {15, "fddimibPORTLerEstimate", 0x4033, Conversion::kInteger, 4, 15},
    {16, "fddimibPORTLemRejectCts", 0x4034, Conversion::kCounter, 0, kCounterMax},
    {17, "fddimibPORTLemCts", 0x4035, Conversion::kCounter, 0, kCounterMax},
    {18, "fddimibPORTLerCutoff", 0x403A, Conversion::kInteger, 4, 15},
    {19, "fddimibPORTLerAlarm", 0x403B, Conversion::kInteger, 4, 15},
    {20, "fddimibPORTConnectState", 0x403D, Conversion::kEnumeration, 1, 4},
    {21, "fddimibPORTPCMState", 0x403E, Conversion::kEnumeration, 1, 10},
    {22, "fddimibPORTPCWithhold", 0x403F, Conversion::kEnumeration, 1, 4},
    {23, "fddimibPORTLerFlag", 0x4040, Conversion::kFlag, 1, 2},
    {24, "fddimibPORTHardwarePresent", 0x4041, Conversion::kFlag, 1, 2},
    // 25 fddimibPORTAction: an action, which the driver neither reports nor takes.
};

const MibScalar kSmtNumber = {"fddimibSMTNumber", {1, 1}, RowKind::kSmt};
const MibScalar kMacNumber = {"fddimibMACNumber", {2, 1}, RowKind::kMac};
const MibScalar kPathNumber = {"fddimibPATHNumber", {4, 1}, RowKind::kPath};
const MibScalar kPortNumber = {"fddimibPORTNumber", {5, 1}, RowKind::kPort};

const MibTable kSmtTable = {
    "fddimibSMTTable", {1, 2, 1}, RowKind::kSmt, kSmtColumns, std::size(kSmtColumns)};
const MibTable kMacTable = {
    "fddimibMACTable", {2, 2, 1}, RowKind::kMac, kMacColumns, std::size(kMacColumns)};
const MibTable kMacCountersTable = {"fddimibMACCountersTable",
                                    {3, 1, 1},
                                    RowKind::kMac,
                                    kMacCounterColumns,
                                    std::size(kMacCounterColumns)};
const MibTable kPathTable = {
    "fddimibPATHTable", {4, 2, 1}, RowKind::kPath, kPathColumns, std::size(kPathColumns)};
const MibTable kPathConfigTable = {"fddimibPATHConfigTable",
                                   {4, 3, 1},
                                   RowKind::kPathConfig,
                                   kPathConfigColumns,
                                   std::size(kPathConfigColumns)};
const MibTable kPortTable = {
    "fddimibPORTTable", {5, 2, 1}, RowKind::kPort, kPortColumns, std::size(kPortColumns)};

}  // namespace

const MibObject kMibObjects[] = {
    {&kSmtNumber, nullptr}, {nullptr, &kSmtTable},         {&kMacNumber, nullptr},
    {nullptr, &kMacTable},  {nullptr, &kMacCountersTable}, {&kPathNumber, nullptr},
    {nullptr, &kPathTable}, {nullptr, &kPathConfigTable},  {&kPortNumber, nullptr},
    {nullptr, &kPortTable},
};
const size_t kMibObjectCount = std::size(kMibObjects);

namespace {

void PutBigEndian(uint8_t* at, uint64_t number, size_t width) {
    for (size_t n = width; n > 0; --n) {
        at[n - 1] = static_cast<uint8_t>(number);
        number >>= 8;
    }
}

// The driver's 32-bit field for a number the MIB gives; false for a conversion that does not
// come from one field.
bool FieldOf(Conversion conversion, int64_t number, uint32_t* field) {
    switch (conversion) {
        case Conversion::kInteger:
        case Conversion::kCounter:
            *field = static_cast<uint32_t>(number);
            return true;
        case Conversion::kEnumeration:
            *field = static_cast<uint32_t>(number - 1);
            return true;
        case Conversion::kFlag:
            *field = number == 1 ? 1 : 0;
            return true;
        case Conversion::kTimeNano:
            // The driver counts negative units of 80 ns.
            *field = static_cast<uint32_t>(-(number / 80));
            return true;
        case Conversion::kTimeMilli:
            // The record's 32-bit count reaches about 171 s; the MIB's range goes further.
            if (number > INT32_MAX / static_cast<int64_t>(kUnitsPerMilli)) return false;
            *field = static_cast<uint32_t>(-(number * static_cast<int64_t>(kUnitsPerMilli)));
            return true;
        default:
            return false;
    }
}

void StartRecord(ParamSlot& slot, uint16_t type, size_t length, uint32_t resource) {
    slot = ParamSlot{};
    PutBigEndian(slot.type, type, 2);
    PutBigEndian(slot.length, length, 2);
    if (DatumAt(type) == kObjectDatumAt) PutBigEndian(slot.value + 2, resource, 2);
}

}  // namespace

bool RecordOfColumn(const MibColumn& column, const MibDatum& datum, uint32_t resource,
                    ParamSlot& slot) {
    if (column.type == 0 || column.type == kPathConfigurationType) return false;
    const OctetField octets = OctetFieldOf(column.conversion);
    if (octets.count != 0) {
        if (!datum.isOctets || datum.length != octets.count || !datum.octets) return false;
        StartRecord(slot, column.type, octets.at + octets.count, resource);
        for (size_t n = 0; n < octets.count; ++n)
            slot.value[octets.at + n] = datum.octets[n];
        return true;
    }
    if (datum.isOctets || datum.number < column.min || datum.number > column.max) return false;
    const size_t at = DatumAt(column.type);
    switch (column.conversion) {
        case Conversion::kStampMilli:
            StartRecord(slot, column.type, 8, resource);
            PutBigEndian(slot.value, static_cast<uint64_t>(datum.number) * kUnitsPerMilli, 8);
            return true;
        case Conversion::kMacIndicated: {
            // T_Val in value byte 4, R_Val in value byte 7.
            const int64_t bits = datum.number - 1;
            StartRecord(slot, column.type, at + 4, resource);
            slot.value[4] = (bits & 2) ? 1 : 0;
            slot.value[7] = (bits & 1) ? 1 : 0;
            return true;
        }
        default:
            break;
    }
    uint32_t field = 0;
    if (!FieldOf(column.conversion, datum.number, &field)) return false;
    StartRecord(slot, column.type, at + 4, resource);
    PutBigEndian(slot.value + at, field, 4);
    return true;
}

bool StorePathConfigValue(const MibColumn& column, int64_t number, uint32_t token,
                          StationSnapshot& station) {
    // The record: the pad-and-index field, then per entry the resource type (32 bits), the
    // resource index (16) and the current path code (16).
    constexpr size_t kListStart = 4, kEntryBytes = 8;
    if (token < 1 || token > kPathConfigurationMaxEntries) return false;
    if (number < column.min || number > column.max) return false;
    PathConfigurationStore& store = station.pathConfiguration;
    const size_t entry = kListStart + (token - 1) * kEntryBytes;
    switch (column.conversion) {
        case Conversion::kConfigResourceType:
            PutBigEndian(store.value + entry, static_cast<uint64_t>(number), 4);
            break;
        case Conversion::kConfigResourceIndex:
            PutBigEndian(store.value + entry + 4, static_cast<uint64_t>(number), 2);
            break;
        case Conversion::kConfigCurrentPath:
            PutBigEndian(store.value + entry + 6, static_cast<uint64_t>(number - 1), 2);
            break;
        default:
            return false;
    }
    const size_t end = entry + kEntryBytes;
    if (store.length < end) store.length = static_cast<uint16_t>(end);
    if (store.storedBytes < end) store.storedBytes = static_cast<uint16_t>(end);
    // The slot keeps the record's first value bytes, as the driver's answer fills it.
    PutBigEndian(store.value + 2, 1, 2);  // the one PATH's index
    ParamSlot* slot = MutableSlotOf(station, kPathConfigurationType);
    if (!slot) return false;
    PutBigEndian(slot->type, kPathConfigurationType, 2);
    PutBigEndian(slot->length, store.length, 2);
    for (size_t n = 0; n < kSlotValueBytes; ++n)
        slot->value[n] = n < store.storedBytes ? store.value[n] : 0;
    return true;
}
