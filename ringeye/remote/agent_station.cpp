#include "ringeye/remote/agent_station.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <sys/select.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "common/command_line.h"
#include "ringeye/remote/screen_objects.h"
#include "ringeye/screens/screens.h"
#include "smtmib/mib_tables.h"

namespace {

// The variables of one request; the names are built afresh each refresh for the row chosen.
struct Batch {
    oid names[kMaxWanted][kMaxOid];
    size_t lengths[kMaxWanted];
    const Wanted* wanted[kMaxWanted];
    size_t count;
};

constexpr uint32_t kRequiredOpVersion = 2;
constexpr uint32_t kPathConfigColumns[] = {4, 5, 6};
// Checks for a command key while waiting for an answer this often.
constexpr long kKeySliceUs = 20000;

// What the request under way came to; set by the callback.
struct Exchange {
    // Numbers the requests; each carries its number as the callback's magic. A report (an
    // SNMPv3 security failure) may come back under another request id, so the id cannot tell
    // the answer of the request under way from that of an abandoned one.
    uintptr_t sent;
    bool done;
    AgentOutcome outcome;
    StationSnapshot* station;
    const Batch* batch;
    bool bulk;  // a GETBULK or GETNEXT over the PATH configuration
    uint32_t smtIndex;
    // GETNEXT (SNMPv1) goes on from the last names the answer gave.
    oid nextNames[3][kMaxOid];
    size_t nextLengths[3];
    bool nextInList;
    bool smtNumberAnswered;  // this refresh's answers held fddimibSMTNumber.0
};

struct AgentState {
    netsnmp_session settings;
    void* session = nullptr;
    char title[128] = "ringeye SMT 7.3";
    ScreenReading screens[kScreenCount];
    Batch batch;
    Exchange exchange;
    size_t perPdu = 64;  // halved when the agent answers tooBig
    uint64_t pdusSent = 0;
    bool unserved[kMaxWanted];  // SNMPv1: variables the agent answered noSuchName for
    const ScreenReading* unservedFor = nullptr;
    uint32_t unservedRow = 0;
};
AgentState Agent;

// The instance's name: fddimib, the table's entry, the column, then the row's index.
size_t NameOf(const Wanted& wanted, uint32_t smtIndex, oid* name) {
    size_t length = 0;
    for (uint32_t id : kFddimibOid)
        name[length++] = id;
    if (wanted.column->subid == kSmtNumberColumn && wanted.table->columns == nullptr) {
        const MibScalar* scalar = SmtNumberScalar();
        name[length++] = scalar->oid[0];
        name[length++] = scalar->oid[1];
        name[length++] = 0;
        return length;
    }
    for (uint32_t id : wanted.table->entryOid)
        name[length++] = id;
    name[length++] = wanted.column->subid;
    name[length++] = smtIndex;
    if (wanted.table->rows != RowKind::kSmt) name[length++] = wanted.resource;
    return length;
}

bool SameName(const oid* a, size_t aLength, const oid* b, size_t bLength) {
    return aLength == bLength && std::memcmp(a, b, aLength * sizeof(oid)) == 0;
}

// The value of an answered variable; false for an exception (noSuchObject, noSuchInstance,
// endOfMibView) or a value that is not what its type says.
bool DatumOf(const netsnmp_variable_list* variable, MibDatum* datum) {
    switch (variable->type) {
        case ASN_INTEGER:
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            if (!variable->val.integer || variable->val_len < sizeof(long)) return false;
            *datum = {false,
                      variable->type == ASN_INTEGER
                          ? static_cast<int64_t>(*variable->val.integer)
                          : static_cast<int64_t>(
                                static_cast<unsigned long>(*variable->val.integer) & 0xFFFFFFFFul),
                      nullptr, 0};
            return true;
        case ASN_OCTET_STR:
            if (!variable->val.string && variable->val_len > 0) return false;
            *datum = {true, 0, variable->val.string, variable->val_len};
            return true;
        default:
            return false;
    }
}

void Store(const Wanted& wanted, const MibDatum& datum, Exchange& exchange) {
    StationSnapshot& station = *exchange.station;
    if (!wanted.table->columns) {
        exchange.smtNumberAnswered = true;  // the scalar only tells that the MIB is served
        return;
    }
    const int port = wanted.table->rows == RowKind::kPort && wanted.resource == 2 ? 1 : 0;
    ParamSlot* slot = MutableSlotOf(station, wanted.column->type, port);
    if (slot) RecordOfColumn(*wanted.column, datum, wanted.resource, *slot);
}

// An answer to a GET: each variable in the order asked, under the name asked.
void TakeValues(const netsnmp_pdu* pdu, Exchange& exchange) {
    const Batch& batch = *exchange.batch;
    size_t i = 0;
    for (const netsnmp_variable_list* v = pdu->variables; v && i < batch.count;
         v = v->next_variable, ++i) {
        MibDatum datum;
        if (!SameName(v->name, v->name_length, batch.names[i], batch.lengths[i])) continue;
        if (DatumOf(v, &datum)) Store(*batch.wanted[i], datum, exchange);
    }
}

const MibTable* PathConfigTable() {
    for (size_t o = 0; o < kMibObjectCount; ++o) {
        const MibTable* table = kMibObjects[o].table;
        if (table && table->rows == RowKind::kPathConfig) return table;
    }
    return nullptr;
}

const MibColumn* PathConfigColumn(uint32_t subid) {
    const MibTable* table = PathConfigTable();
    for (size_t c = 0; table && c < table->columnCount; ++c) {
        if (table->columns[c].subid == subid) return &table->columns[c];
    }
    return nullptr;
}

// fddimib, the PATH configuration entry, the column, the SMT index and PATH 1.
size_t PathListPrefix(uint32_t subid, uint32_t smtIndex, oid* name) {
    size_t length = 0;
    for (uint32_t id : kFddimibOid)
        name[length++] = id;
    for (uint32_t id : PathConfigTable()->entryOid)
        name[length++] = id;
    name[length++] = subid;
    name[length++] = smtIndex;
    name[length++] = 1;
    return length;
}

// An answer over the PATH configuration: the entries of this SMT row's PATH, by token.
void TakeListValues(const netsnmp_pdu* pdu, Exchange& exchange) {
    exchange.nextInList = false;
    size_t i = 0;
    for (const netsnmp_variable_list* v = pdu->variables; v; v = v->next_variable, ++i) {
        for (uint32_t subid : kPathConfigColumns) {
            oid prefix[kMaxOid];
            const size_t length = PathListPrefix(subid, exchange.smtIndex, prefix);
            if (v->name_length != length + 1 ||
                std::memcmp(v->name, prefix, length * sizeof(oid)) != 0) {
                continue;
            }
            MibDatum datum;
            const MibColumn* column = PathConfigColumn(subid);
            if (column && DatumOf(v, &datum) && !datum.isOctets) {
                StorePathConfigValue(*column, datum.number, static_cast<uint32_t>(v->name[length]),
                                     *exchange.station);
            }
            if (i < 3) {
                std::memcpy(exchange.nextNames[i], v->name, v->name_length * sizeof(oid));
                exchange.nextLengths[i] = v->name_length;
                exchange.nextInList = true;
            }
        }
    }
}

int Answered(int operation, netsnmp_session* session, int, netsnmp_pdu* pdu, void* magic) {
    Exchange& exchange = Agent.exchange;
    if (reinterpret_cast<uintptr_t>(magic) != exchange.sent || exchange.done) {
        return 1;  // an abandoned request's
    }
    exchange.done = true;
    switch (operation) {
        case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
            if (pdu->command == SNMP_MSG_REPORT) {
                exchange.outcome = {AgentFault::kSecurity, snmpv3_get_report_type(pdu), 0};
            } else if (pdu->errstat != SNMP_ERR_NOERROR) {
                exchange.outcome = {AgentFault::kErrorStatus, static_cast<int32_t>(pdu->errstat),
                                    static_cast<int32_t>(pdu->errindex)};
            } else if (exchange.bulk) {
                TakeListValues(pdu, exchange);
            } else {
                TakeValues(pdu, exchange);
            }
            break;
        case NETSNMP_CALLBACK_OP_TIMED_OUT:
            exchange.outcome = {AgentFault::kNoAnswer, 0, 0};
            break;
        case NETSNMP_CALLBACK_OP_SEC_ERROR:
            exchange.outcome = {AgentFault::kSecurity, session->s_snmp_errno, 0};
            break;
        default:
            exchange.outcome = {AgentFault::kLocal, session->s_snmp_errno, 0};
            break;
    }
    return 1;
}

// Opens the session when none is open; the discovery of an SNMPv3 engine happens here, with one
// try, so that a station that does not answer holds Esc up no longer than one timeout.
bool OpenSession(AgentOutcome* outcome) {
    if (Agent.session) return true;
    netsnmp_session once = Agent.settings;
    once.retries = 0;
    Agent.session = snmp_sess_open(&once);
    if (!Agent.session) {
        int library = 0, system = 0;
        char* text = nullptr;
        snmp_error(&once, &library, &system, &text);
        std::free(text);
        *outcome = {library == SNMPERR_TIMEOUT ? AgentFault::kNoAnswer
                    : library == SNMPERR_AUTHENTICATION_FAILURE ||
                            library == SNMPERR_DECRYPTION_ERR ||
                            library == SNMPERR_UNKNOWN_USER_NAME ||
                            library == SNMPERR_USM_AUTHENTICATIONFAILURE
                        ? AgentFault::kSecurity
                        : AgentFault::kLocal,
                    system != 0 && library == SNMPERR_GENERR ? system : library, 0};
        return false;
    }
    snmp_sess_session(Agent.session)->retries = Agent.settings.retries;
    return true;
}

enum class Sent { kAnswered, kFailed, kAbandoned };

// Sends `pdu` and waits for its answer, looking at the keyboard between slices of the wait.
Sent SendAndWait(netsnmp_pdu* pdu, ContinueCheck continueCycle) {
    Exchange& exchange = Agent.exchange;
    exchange.done = false;
    exchange.outcome = {AgentFault::kNone, 0, 0};
    ++exchange.sent;
    if (snmp_sess_async_send(Agent.session, pdu, Answered,
                             reinterpret_cast<void*>(exchange.sent)) == 0) {
        exchange.outcome = {AgentFault::kLocal, snmp_sess_session(Agent.session)->s_snmp_errno, 0};
        snmp_free_pdu(pdu);
        return Sent::kFailed;
    }
    ++Agent.pdusSent;
    while (!exchange.done) {
        int fds = 0, block = 1;
        fd_set readable;
        FD_ZERO(&readable);
        timeval timeout = {0, 0};
        snmp_sess_select_info(Agent.session, &fds, &readable, &timeout, &block);
        timeval slice = {0, kKeySliceUs};
        if (!block && (timeout.tv_sec == 0 && timeout.tv_usec < slice.tv_usec)) slice = timeout;
        const int ready = select(fds, &readable, nullptr, nullptr, &slice);
        if (ready > 0) {
            snmp_sess_read(Agent.session, &readable);
        } else if (ready == 0) {
            snmp_sess_timeout(Agent.session);
        }
        if (!exchange.done && continueCycle && !continueCycle()) {
            ++exchange.sent;  // its answer, should it come, is dropped
            return Sent::kAbandoned;
        }
    }
    return exchange.outcome.fault == AgentFault::kNone ? Sent::kAnswered : Sent::kFailed;
}

int Fail(StationSnapshot& station, const AgentOutcome& outcome) {
    station.agent = outcome;
    station.end = CycleEnd::kAgentFailed;
    return -1;
}

int Abandon(StationSnapshot& station) {
    station.end = CycleEnd::kAbandoned;
    return -1;
}

// GETs of every wanted instance, as many to a PDU as the agent takes.
Sent ReadInstances(const ScreenReading& reading, uint32_t smtIndex, StationSnapshot& station,
                   ContinueCheck continueCycle) {
    size_t next = 0;
    while (next < reading.count) {
        Batch& batch = Agent.batch;
        batch.count = 0;
        size_t i = next;
        for (; i < reading.count && batch.count < Agent.perPdu; ++i) {
            if (Agent.unserved[i]) continue;
            batch.wanted[batch.count] = &reading.wanted[i];
            batch.lengths[batch.count] =
                NameOf(reading.wanted[i], smtIndex, batch.names[batch.count]);
            ++batch.count;
        }
        if (batch.count == 0) break;
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        for (size_t b = 0; b < batch.count; ++b)
            snmp_add_null_var(pdu, batch.names[b], batch.lengths[b]);
        Agent.exchange.station = &station;
        Agent.exchange.batch = &batch;
        Agent.exchange.bulk = false;
        const Sent sent = SendAndWait(pdu, continueCycle);
        if (sent == Sent::kAbandoned) return sent;
        if (sent == Sent::kFailed) {
            const AgentOutcome& outcome = Agent.exchange.outcome;
            if (outcome.fault == AgentFault::kErrorStatus && outcome.code == SNMP_ERR_TOOBIG &&
                Agent.perPdu > 1) {
                Agent.perPdu /= 2;
                continue;
            }
            // SNMPv1 refuses a whole GET for one instance it lacks: that one is left out (and
            // shown blank) from now on for this screen and row, and the others asked again.
            const bool one = outcome.fault == AgentFault::kErrorStatus &&
                             outcome.code == SNMP_ERR_NOSUCHNAME && outcome.errorIndex >= 1 &&
                             static_cast<size_t>(outcome.errorIndex) <= batch.count;
            if (one) {
                const size_t index =
                    static_cast<size_t>(batch.wanted[outcome.errorIndex - 1] - reading.wanted);
                Agent.unserved[index] = true;
                continue;
            }
            return sent;
        }
        next = i;
    }
    return Sent::kAnswered;
}

// The PATH configuration list: one GETBULK over its three columns (SNMPv2c, v3), or GETNEXT
// entry by entry (SNMPv1).
Sent ReadPathList(uint32_t smtIndex, StationSnapshot& station, ContinueCheck continueCycle) {
    Exchange& exchange = Agent.exchange;
    for (size_t c = 0; c < 3; ++c) {
        exchange.nextLengths[c] =
            PathListPrefix(kPathConfigColumns[c], smtIndex, exchange.nextNames[c]);
    }
    const bool bulk = Agent.settings.version != SNMP_VERSION_1;
    for (size_t entry = 0; entry < kPathConfigurationMaxEntries; ++entry) {
        netsnmp_pdu* pdu = snmp_pdu_create(bulk ? SNMP_MSG_GETBULK : SNMP_MSG_GETNEXT);
        if (bulk) {
            pdu->non_repeaters = 0;
            pdu->max_repetitions = kPathConfigurationMaxEntries;
        }
        for (size_t c = 0; c < 3; ++c)
            snmp_add_null_var(pdu, exchange.nextNames[c], exchange.nextLengths[c]);
        exchange.station = &station;
        exchange.bulk = true;
        exchange.smtIndex = smtIndex;
        const Sent sent = SendAndWait(pdu, continueCycle);
        // SNMPv1 ends a walk past the MIB's last object with noSuchName.
        if (sent == Sent::kFailed && !bulk && exchange.outcome.fault == AgentFault::kErrorStatus &&
            exchange.outcome.code == SNMP_ERR_NOSUCHNAME) {
            return Sent::kAnswered;
        }
        if (sent != Sent::kAnswered || bulk || !exchange.nextInList) return sent;
    }
    return Sent::kAnswered;
}

// The PATH's index is the row's own index in the MIB, not a column: a PATH row that answered is
// PATH 1, the one row the monitor reads.
void NotePathIndex(StationSnapshot& station) {
    constexpr uint16_t kPathIndexType = 0x320B, kPathValueTypes[] = {0x3215, 0x3216, 0x3217};
    for (uint16_t type : kPathValueTypes) {
        if (!SlotDelivered(SlotOf(station, type))) continue;
        if (ParamSlot* slot = MutableSlotOf(station, kPathIndexType)) {
            *slot = {{0x32, 0x0B}, {0, 8}, {0, 0, 0, 1, 0, 0, 0, 1}};
        }
        return;
    }
}

int FetchFromAgent(StationSnapshot& station, int32_t instance, const ScreenEntry& screen,
                   ContinueCheck continueCycle) {
    const uint32_t smtIndex = static_cast<uint32_t>(instance) + 1;
    const size_t number = screen.number > 0 && static_cast<size_t>(screen.number) < kScreenCount
                              ? static_cast<size_t>(screen.number)
                              : 0;
    const ScreenReading& reading = Agent.screens[number];
    if (Agent.unservedFor != &reading || Agent.unservedRow != smtIndex) {
        std::memset(Agent.unserved, 0, sizeof Agent.unserved);
        Agent.unservedFor = &reading;
        Agent.unservedRow = smtIndex;
    }
    AgentOutcome outcome = {AgentFault::kNone, 0, 0};
    if (!OpenSession(&outcome)) return Fail(station, outcome);
    if (continueCycle && !continueCycle()) return Abandon(station);

    // Nothing of an earlier refresh may stay: what this one does not deliver is blank.
    std::memset(station.slots, 0, sizeof station.slots);
    station.pathConfiguration = {};
    station.absentIsBlank = true;
    Agent.exchange.smtNumberAnswered = false;
    Sent sent = ReadInstances(reading, smtIndex, station, continueCycle);
    if (sent == Sent::kAnswered && reading.pathList) {
        sent = ReadPathList(smtIndex, station, continueCycle);
    }
    if (sent == Sent::kAbandoned) return Abandon(station);
    if (sent == Sent::kFailed) return Fail(station, Agent.exchange.outcome);

    if (!SlotDelivered(SlotOf(station, kOpVersionIdType))) {
        // The Number scalar answers whenever the MIB is served, with or without this row.
        return Fail(station, {Agent.exchange.smtNumberAnswered ? AgentFault::kRowGone
                                                               : AgentFault::kNoFddiMib,
                              0, 0});
    }
    NotePathIndex(station);
    const ParamSlot& gate = SlotOf(station, kOpVersionIdType);
    const uint32_t version = Value32(gate, 0);
    if (version != kRequiredOpVersion) {
        station.opVersionId = version;
        station.end = CycleEnd::kVersionRefused;
        return -1;
    }
    station.PortCount = ValueByte(SlotOf(station, kNonMasterCtType), 3);
    station.end = CycleEnd::kComplete;
    return 0;
}

}  // namespace

namespace {

void DescribeFailure(const StationSnapshot& station, int32_t instance, char* text, size_t size) {
    const AgentOutcome& outcome = station.agent;
    const char* agent = Agent.settings.peername ? Agent.settings.peername : "the agent";
    switch (outcome.fault) {
        case AgentFault::kNoAnswer:
            std::snprintf(text, size,
                          "***Error***: No answer from %s within %.1f s and %d retries: the agent "
                          "is down or unreachable, or refused the community or user\n",
                          agent, static_cast<double>(Agent.settings.timeout) / 1e6,
                          Agent.settings.retries);
            return;
        case AgentFault::kErrorStatus:
            std::snprintf(text, size, "***Error***: %s answered with SNMP error %s (variable %d)\n",
                          agent, snmp_errstring(outcome.code),
                          static_cast<int>(outcome.errorIndex));
            return;
        case AgentFault::kSecurity:
            std::snprintf(text, size,
                          "***Error***: SNMPv3 authentication or privacy failed with %s: %s\n",
                          agent, snmp_api_errstring(outcome.code));
            return;
        case AgentFault::kRowGone:
            std::snprintf(text, size,
                          "***Error***: %s has no station of SMT index %d (device instance %d)\n",
                          agent, static_cast<int>(instance) + 1, static_cast<int>(instance));
            return;
        case AgentFault::kNoFddiMib:
            std::snprintf(text, size, "***Error***: %s does not serve the FDDI SMT MIB (%s)\n",
                          agent, "1.3.6.1.2.1.10.15.73");
            return;
        case AgentFault::kLocal:
        case AgentFault::kNone:
            break;
    }
    std::snprintf(text, size, "***Error***: SNMP request to %s failed: %s\n", agent,
                  snmp_api_errstring(outcome.code));
}

const StationSource kAgentSource = {Agent.title, FetchFromAgent, DescribeFailure};

}  // namespace

int ParseAgentCommandLine(int argc, char** argv) {
    // No MIB files: every name the monitor asks for is numeric, and the library should not read
    // or complain about MIBs at start-up. An -m or -M on the command line still takes effect.
    setenv("MIBS", "", 0);
    const int arg = snmp_parse_args(argc, argv, &Agent.settings, nullptr, nullptr);
    switch (arg) {
        case NETSNMP_PARSE_ARGS_SUCCESS_EXIT:
            return 0;
        case NETSNMP_PARSE_ARGS_ERROR_USAGE:
        case NETSNMP_PARSE_ARGS_ERROR:
            std::fprintf(stderr, "usage: ringeye [SNMP options] AGENT (see ringeye --help)\n");
            return kUsageErrorStatus;
        default:
            break;
    }
    if (arg < argc) {
        std::fprintf(stderr, "ringeye: unrecognised argument '%s' after the agent\n", argv[arg]);
        std::fprintf(stderr, "usage: ringeye [SNMP options] AGENT (see ringeye --help)\n");
        return kUsageErrorStatus;
    }
    std::snprintf(Agent.title, sizeof Agent.title, "ringeye SMT 7.3 - %s",
                  Agent.settings.peername ? Agent.settings.peername : "");
    for (size_t number = 1; number < kScreenCount; ++number) {
        if (const ScreenEntry* screen = FindScreen(static_cast<int>(number))) {
            PlanScreen(*screen, Agent.screens[number]);
        }
    }
    return -1;
}

const StationSource* AgentStationSource() {
    return &kAgentSource;
}

uint64_t AgentPdusSent() {
    return Agent.pdusSent;
}

void CloseAgentStation() {
    if (Agent.session) snmp_sess_close(Agent.session);
    Agent.session = nullptr;
}
