// The station header, rows 0 to 3 of every screen: the poll rate's label, the manufacturer and
// user data, and the station ID followed by the ECM, CF and RMT states.
#include "ringeye/screens/screens.h"

namespace {

// Each state name is padded to the widest name of its table, so that a shorter name wipes a
// longer one: "RING_OP" after "RING_OP_DUP" must not read as a duplicate address still there.
constexpr Row kHeaderRows[] = {
    Heading(0, 1, ":Poll Rate"),
    // The manufacturer data begins with a 3-byte manufacturer identifier, not shown.
    At(2, 2, "ManufactureData: ").String(0x1010, 3, "%-29s"),
    At(3, 2, "UserData       : ").String(0x1011, 0, "%-32s"),
    At(1, 2, "StationID      : ").Octets(0x100B, 2, "%02X%02X %02X%02X %02X%02X"),
    Literal("  ECM-"),
    // The station is not on the ring unless its entity coordination is In.
    Then().Text(0x1029, Read::k32At0, EcmStateNames).Unless(1),
    Literal("CFM-"),
    // Anything but Thru means the station wrapped, isolated or joined only locally; a
    // single-attachment station's configuration rests in C_Wrap_S while its S port is connected.
    Then().Text(0x102A, Read::k32At0, CfStateNames).Unless(12).OrOnSingleAttachment(11),
    Literal(" RMT-"),
    // The ring is not operational for the MAC (beaconing, claiming, duplicate address).
    Then().Text(0x206F, Read::k32At4, RmtStateNames).Unless(2),
};
static_assert(ValidRows(kHeaderRows), "a value without its format or texts");

}  // namespace

const RowTable StationHeader = MakeRowTable(kHeaderRows);
