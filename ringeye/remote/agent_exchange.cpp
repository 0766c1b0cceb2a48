#include "ringeye/remote/agent_exchange.h"

#include <sys/select.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "smtmib/mib_tables.h"

namespace agent_exchange {
namespace {

// The variables of one request; the names are built afresh each refresh for the row chosen.
struct Batch {
    oid names[kMaxWanted][kMaxOid];
    size_t lengths[kMaxWanted];
    const Wanted* wanted[kMaxWanted];
    size_t count;
};

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

struct ExchangeState {
    netsnmp_session settings;
    void* session = nullptr;
    Batch batch;
    Exchange exchange;
    uint64_t pdusSent = 0;
};
ExchangeState Snmp;

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
    Exchange& exchange = Snmp.exchange;
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

// Sends `pdu` and waits for its answer, looking at the keyboard between slices of the wait.
Sent SendAndWait(netsnmp_pdu* pdu, ContinueCheck continueCycle) {
    Exchange& exchange = Snmp.exchange;
    exchange.done = false;
    exchange.outcome = {AgentFault::kNone, 0, 0};
    ++exchange.sent;
    if (snmp_sess_async_send(Snmp.session, pdu, Answered, reinterpret_cast<void*>(exchange.sent)) ==
        0) {
        exchange.outcome = {AgentFault::kLocal, snmp_sess_session(Snmp.session)->s_snmp_errno, 0};
        snmp_free_pdu(pdu);
        return Sent::kFailed;
    }
    ++Snmp.pdusSent;
    while (!exchange.done) {
        int fds = 0, block = 1;
        fd_set readable;
        FD_ZERO(&readable);
        timeval timeout = {0, 0};
        snmp_sess_select_info(Snmp.session, &fds, &readable, &timeout, &block);
        timeval slice = {0, kKeySliceUs};
        if (!block && (timeout.tv_sec == 0 && timeout.tv_usec < slice.tv_usec)) slice = timeout;
        const int ready = select(fds, &readable, nullptr, nullptr, &slice);
        if (ready > 0) {
            snmp_sess_read(Snmp.session, &readable);
        } else if (ready == 0) {
            snmp_sess_timeout(Snmp.session);
        }
        if (!exchange.done && continueCycle && !continueCycle()) {
            ++exchange.sent;  // its answer, should it come, is dropped
            return Sent::kAbandoned;
        }
    }
    return exchange.outcome.fault == AgentFault::kNone ? Sent::kAnswered : Sent::kFailed;
}

}  // namespace

netsnmp_session& Settings() {
    return Snmp.settings;
}

// The discovery of an SNMPv3 engine happens here, with one try, so that a station that does not
// answer holds Esc up no longer than one timeout.
bool OpenSession(AgentOutcome* outcome) {
    if (Snmp.session) return true;
    netsnmp_session once = Snmp.settings;
    once.retries = 0;
    Snmp.session = snmp_sess_open(&once);
    if (!Snmp.session) {
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
    snmp_sess_session(Snmp.session)->retries = Snmp.settings.retries;
    return true;
}

void CloseSession() {
    if (Snmp.session) snmp_sess_close(Snmp.session);
    Snmp.session = nullptr;
}

uint64_t PdusSent() {
    return Snmp.pdusSent;
}

const AgentOutcome& Outcome() {
    return Snmp.exchange.outcome;
}

void StartRefresh() {
    Snmp.exchange.smtNumberAnswered = false;
}

bool SmtNumberAnswered() {
    return Snmp.exchange.smtNumberAnswered;
}

Sent Get(const Wanted* const* wanted, size_t count, uint32_t smtIndex, StationSnapshot& station,
         ContinueCheck continueCycle) {
    Batch& batch = Snmp.batch;
    // A request holds at most what one screen reads.
    batch.count = count < kMaxWanted ? count : kMaxWanted;
    for (size_t b = 0; b < batch.count; ++b) {
        batch.wanted[b] = wanted[b];
        batch.lengths[b] = NameOf(*wanted[b], smtIndex, batch.names[b]);
    }
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    for (size_t b = 0; b < batch.count; ++b)
        snmp_add_null_var(pdu, batch.names[b], batch.lengths[b]);
    Snmp.exchange.station = &station;
    Snmp.exchange.batch = &batch;
    Snmp.exchange.bulk = false;
    return SendAndWait(pdu, continueCycle);
}

void StartPathList(uint32_t smtIndex) {
    Exchange& exchange = Snmp.exchange;
    for (size_t c = 0; c < 3; ++c) {
        exchange.nextLengths[c] =
            PathListPrefix(kPathConfigColumns[c], smtIndex, exchange.nextNames[c]);
    }
    exchange.smtIndex = smtIndex;
}

Sent GetPathEntries(bool bulk, StationSnapshot& station, ContinueCheck continueCycle) {
    Exchange& exchange = Snmp.exchange;
    netsnmp_pdu* pdu = snmp_pdu_create(bulk ? SNMP_MSG_GETBULK : SNMP_MSG_GETNEXT);
    if (bulk) {
        pdu->non_repeaters = 0;
        pdu->max_repetitions = kPathConfigurationMaxEntries;
    }
    for (size_t c = 0; c < 3; ++c)
        snmp_add_null_var(pdu, exchange.nextNames[c], exchange.nextLengths[c]);
    exchange.station = &station;
    exchange.bulk = true;
    return SendAndWait(pdu, continueCycle);
}

bool PathListGoesOn() {
    return Snmp.exchange.nextInList;
}

}  // namespace agent_exchange
