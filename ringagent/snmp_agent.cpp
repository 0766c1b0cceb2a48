#include "ringagent/snmp_agent.h"

// net-snmp's headers must come in this order.
// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
#include <net-snmp/agent/agent_callbacks.h>
// clang-format on

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "ringagent/journal_outputs.h"
#include "ringagent/mib_view.h"
#include "ringagent/station_cache.h"
#include "ringagent/station_journal.h"

// The library's own handler of (un)registrations for an AgentX session; exported by
// libnetsnmpagent, but its header is not installed. ringagent wraps it to learn whether the
// master took the subtree, which the library only logs.
extern "C" int agentx_registration_callback(int majorID, int minorID, void* serverarg,
                                            void* clientarg);

namespace {

constexpr char kAgentName[] = "ringagent";
constexpr char kDefaultMasterAddress[] = "/var/agentx/master";  // net-snmp's

StationCache* Cache = nullptr;
bool Watching = false;  // queries are answered from the watch loop's snapshots
JournalOutputs* Outputs = nullptr;

// Signals end the loop through a pipe that the loop's select watches, so a signal that arrives
// just before the loop blocks still wakes it.
int SignalPipe[2] = {-1, -1};
volatile sig_atomic_t StopRequested = 0;
volatile sig_atomic_t ReopenRequested = 0;
bool HangupReopens = false;  // with an event log, SIGHUP is logrotate's "reopen it"

void WakeLoop() {
    const char byte = 0;
    const ssize_t written = write(SignalPipe[1], &byte, 1);
    (void)written;  // a full pipe already wakes the loop
}

void OnTerminationSignal(int) {
    StopRequested = 1;
    WakeLoop();
}

void OnHangup(int signal) {
    if (!HangupReopens) {
        OnTerminationSignal(signal);
        return;
    }
    ReopenRequested = 1;
    WakeLoop();
}

void DrainSignalPipe(int fd) {
    char bytes[16];
    while (read(fd, bytes, sizeof bytes) > 0) {
    }
}

void ReopenEventLogIfAsked() {
    if (!ReopenRequested || Outputs == nullptr) return;
    ReopenRequested = 0;
    if (!Outputs->ReopenEventLog()) {
        snmp_log(LOG_ERR, "cannot reopen the event log: %s\n", std::strerror(errno));
    }
}

void OnSignalPipe(int fd, void*) {
    DrainSignalPipe(fd);
    ReopenEventLogIfAsked();
}

bool InstallSignalHandlers(bool withAgent) {
    if (pipe(SignalPipe) != 0) return false;
    for (int fd : SignalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT})
        sigaction(signal, &action, nullptr);
    action.sa_handler = OnHangup;
    sigaction(SIGHUP, &action, nullptr);
    if (withAgent) register_readfd(SignalPipe[0], OnSignalPipe, nullptr);
    return true;
}

uint64_t GraceMs = 0;

void ReportStation(int instance, StationState state, const StationSnapshot& attempt) {
    if (state == StationState::kAnswers) {
        snmp_log(LOG_INFO, "device instance %d answers: served as SMT index %d\n", instance,
                 instance + 1);
        return;
    }
    char reason[160];
    DescribeFailure(attempt, reason, sizeof reason);
    if (state == StationState::kFailing) {
        snmp_log(LOG_WARNING,
                 "device instance %d does not answer (%s): its rows stay for up to %llu ms\n",
                 instance, reason, static_cast<unsigned long long>(GraceMs));
    } else {
        snmp_log(LOG_WARNING, "device instance %d does not answer (%s): no rows for it\n", instance,
                 reason);
    }
}

// The request's OID as 32-bit subidentifiers; longer names than any instance are cut, which
// keeps their order against every instance the agent serves.
size_t TakeName(const netsnmp_variable_list* variable, uint32_t* name) {
    const size_t length = variable->name_length < MAX_OID_LEN ? variable->name_length : MAX_OID_LEN;
    for (size_t i = 0; i < length; ++i) {
        name[i] =
            variable->name[i] > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(variable->name[i]);
    }
    return length;
}

void SetValue(netsnmp_variable_list* variable, const MibValue& value) {
    switch (value.kind) {
        case MibValue::Kind::kInteger:
            snmp_set_var_typed_integer(variable, ASN_INTEGER, static_cast<long>(value.number));
            break;
        case MibValue::Kind::kCounter:
            snmp_set_var_typed_integer(variable, ASN_COUNTER, static_cast<long>(value.number));
            break;
        case MibValue::Kind::kOctets:
            snmp_set_var_typed_value(variable, ASN_OCTET_STR, value.octets, value.length);
            break;
    }
}

int HandleFddimib(netsnmp_mib_handler*, netsnmp_handler_registration*,
                  netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    if (info->mode != MODE_GET && info->mode != MODE_GETNEXT) {
        netsnmp_request_set_error_all(requests, SNMP_ERR_NOTWRITABLE);
        return SNMP_ERR_NOERROR;
    }
    // A watching agent answers from the watch loop's snapshots and asks the driver nothing.
    if (!Watching) Cache->Refresh();
    uint32_t name[MAX_OID_LEN];
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        if (request->processed) continue;
        netsnmp_variable_list* variable = request->requestvb;
        const size_t length = TakeName(variable, name);
        MibValue value;
        if (info->mode == MODE_GET) {
            if (FindInstance(*Cache, name, length, &value)) {
                SetValue(variable, value);
            } else {
                netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
            }
            continue;
        }
        MibOid next;
        // Past the last instance the request stays as it is, and the master asks the next
        // subtree's agent.
        if (!FindNextInstance(*Cache, name, length, &next, &value)) continue;
        oid nextName[kMaxOidLength];
        for (size_t i = 0; i < next.length; ++i)
            nextName[i] = next.ids[i];
        snmp_set_var_objid(variable, nextName, next.length);
        SetValue(variable, value);
    }
    return SNMP_ERR_NOERROR;
}

bool RegisterFddimib() {
    oid subtree[kFddimibOidLength];
    for (size_t i = 0; i < kFddimibOidLength; ++i)
        subtree[i] = kFddimibOid[i];
    netsnmp_handler_registration* registration = netsnmp_create_handler_registration(
        "fddimib", HandleFddimib, subtree, kFddimibOidLength, HANDLER_CAN_RONLY);
    return registration && netsnmp_register_handler(registration) == MIB_REGISTERED_OK;
}

// net-snmp keeps one interval for two jobs: how often a connected master is pinged and how
// often a lost one is dialled again. Pings are the idle agent's only work, so they are rare;
// redialling is quick, so a restarted snmpd has its rows back within seconds. The library reads
// the interval when it registers either timer, so the loop keeps the redial interval set, and a
// session that opens switches to the ping interval just before its ping timer is registered.
constexpr int kRedialSeconds = 2;
int PingSeconds = 0;

void SetAgentXInterval(int seconds) {
    netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_PING_INTERVAL, seconds);
}

int RedialSeconds() {
    return PingSeconds < kRedialSeconds ? PingSeconds : kRedialSeconds;
}

// What the agent knows of its master, for a log that says what is true: one line when the
// subtree is served, one when the master is lost, one when it is back; a failed registration
// ends the agent.
std::string MasterAddress;
bool Serving = false;  // the master took the subtree on the current session
bool EverServed = false;
bool SessionOpened = false;  // a session opened since the loop last looked
bool RegistrationFailed = false;
bool CapturingRefusal = false;  // inside a registration: the library logs the master's answer
long RefusalStatus = 0;

// The AgentX errors (RFC 2741, 7.2.4) a master may answer a registration with.
const char* RefusalText(long status) {
    switch (status) {
        case 263:
            return "duplicateRegistration: another agent already serves the subtree";
        case 267:
            return "requestDenied: the master agent does not allow it";
        case 262:
            return "unsupportedContext";
        case 266:
            return "parseError";
        case 268:
            return "processingError";
        case 257:
            return "notOpen: the master closed the session";
        default:
            return "the master agent refused it";
    }
}

// net-snmp reports a refused registration only as a log line; while ours is under way the line
// is read for the master's status.
int OnLogMessage(int, int, void* serverarg, void*) {
    const auto* message = static_cast<const snmp_log_message*>(serverarg);
    long status = 0;
    if (CapturingRefusal && message != nullptr && message->msg != nullptr &&
        std::sscanf(message->msg, "registering pdu failed: %ld", &status) == 1) {
        RefusalStatus = status;
    }
    return SNMPERR_SUCCESS;
}

// The library's callbacks of the open session carry a pointer it keeps in session->myvoid and
// frees when the session ends; the checked registration runs only for that session.
void* SessionArg = nullptr;
bool ShuttingDown = false;

int CheckedRegistration(int major, int minor, void* serverarg, void* clientarg) {
    if (clientarg == nullptr || clientarg != SessionArg) return 0;  // a session that has ended
    CapturingRefusal = true;
    RefusalStatus = 0;
    const int accepted = agentx_registration_callback(major, minor, serverarg, clientarg);
    CapturingRefusal = false;
    if (accepted != 1) {
        RegistrationFailed = true;
        StopRequested = 1;
        if (RefusalStatus != 0) {
            snmp_log(LOG_ERR,
                     "cannot register fddimib (1.3.6.1.2.1.10.15.73) with the master agent at "
                     "%s: %s (%ld); not serving\n",
                     MasterAddress.c_str(), RefusalText(RefusalStatus), RefusalStatus);
        } else {
            snmp_log(LOG_ERR,
                     "cannot register fddimib (1.3.6.1.2.1.10.15.73) with the master agent at "
                     "%s: it did not answer; not serving\n",
                     MasterAddress.c_str());
        }
    }
    return accepted;
}

// Called while the library walks its callback lists, so it changes none of them: the checked
// registration of the ended session is dropped when the next one opens.
int OnMasterSessionStopped(int, int, void*, void*) {
    SessionArg = nullptr;
    if (Serving && !ShuttingDown) {
        snmp_log(LOG_WARNING,
                 "lost the master agent at %s: no rows served until it is back (dialled every "
                 "%d s)\n",
                 MasterAddress.c_str(), RedialSeconds());
    }
    Serving = false;
    return SNMPERR_SUCCESS;
}

// The checked registration takes the place of the library's own for the new session.
void TakeOverRegistration(netsnmp_session* session) {
    snmp_unregister_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_REGISTER_OID,
                             CheckedRegistration, nullptr, 0);
    if (session == nullptr || session->myvoid == nullptr) return;
    SessionArg = session->myvoid;
    snmp_unregister_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_REGISTER_OID,
                             agentx_registration_callback, SessionArg, 1);
    snmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_REGISTER_OID,
                           CheckedRegistration, SessionArg);
}

int OnMasterSessionOpened(int, int, void* serverarg, void*) {
    SetAgentXInterval(PingSeconds);
    TakeOverRegistration(static_cast<netsnmp_session*>(serverarg));
    SessionOpened = true;
    return SNMPERR_SUCCESS;
}

// After each turn of the loop: a session that opened and kept its registration serves now.
void ReportMasterState() {
    if (!SessionOpened || RegistrationFailed) return;
    SessionOpened = false;
    Serving = true;
    snmp_log(LOG_INFO, "%s fddimib (1.3.6.1.2.1.10.15.73) through the master agent at %s\n",
             EverServed ? "master agent back: serving" : "serving", MasterAddress.c_str());
    EverServed = true;
}

// The watch loop's tick: every adapter fetched, and the journal told what each fetch found.
void OnWatchTick(unsigned int, void*) {
    Cache->FetchNow();
}

// Without a master agent: the watch loop alone, woken by its period and by signals.
void RunWatchOnly(int periodSeconds) {
    platform::Clock& clock = platform::CurrentClock();
    const uint64_t periodMs = static_cast<uint64_t>(periodSeconds) * 1000;
    uint64_t next = clock.NowMs();
    while (!StopRequested) {
        const uint64_t now = clock.NowMs();
        if (now >= next) {
            Cache->FetchNow();
            next += periodMs;
            if (next <= now) next = now + periodMs;  // a fetch that outlasted its period
        }
        const uint64_t after = clock.NowMs();
        pollfd signals = {SignalPipe[0], POLLIN, 0};
        const int timeoutMs = next > after ? static_cast<int>(next - after) : 0;
        if (poll(&signals, 1, timeoutMs) > 0) {
            DrainSignalPipe(SignalPipe[0]);
            ReopenEventLogIfAsked();
        }
    }
}

// A relative event log path would point elsewhere once the detached agent leaves its working
// directory, and on every reopen after.
std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char directory[PATH_MAX];
    if (getcwd(directory, sizeof directory) == nullptr) return path;
    return std::string(directory) + "/" + path;
}

}  // namespace

int RunAgent(const AgentOptions& options) {
    const bool watching = options.watchSeconds > 0;
    JournalOutputs outputs(ChooseLogTarget(options.foreground), AbsolutePath(options.eventLogPath));
    if (outputs.HasEventLog() && !outputs.ReopenEventLog()) {
        std::fprintf(stderr, "ringagent: cannot open the event log %s: %s\n",
                     options.eventLogPath.c_str(), std::strerror(errno));
        return 1;
    }
    if (options.foreground) {
        snmp_enable_stderrlog();
    } else {
        snmp_enable_syslog_ident(kAgentName, LOG_DAEMON);
        if (netsnmp_daemonize(1, 0) != 0) return 1;
    }
    // A subagent with settings from the command line only: no configuration files of the
    // host's own agent, nothing persisted between runs, no MIB files read (it names no OIDs).
    setenv("MIBS", "", 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    if (!options.masterAddress.empty()) {
        netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_X_SOCKET,
                              options.masterAddress.c_str());
    }
    MasterAddress = options.masterAddress.empty() ? kDefaultMasterAddress : options.masterAddress;
    // A master that is not there is said once (below), not at every redial.
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_NO_CONNECTION_WARNINGS, 1);
    snmp_enable_calllog();
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, OnLogMessage, nullptr);

    // Watching, a snapshot is as old as one period at most, and is served for as long.
    const uint64_t cacheMs =
        watching ? static_cast<uint64_t>(options.watchSeconds) * 1000 : options.cacheMs;
    GraceMs = options.graceMs >= 0 ? static_cast<uint64_t>(options.graceMs) : 3 * cacheMs;
    StationCache cache(platform::CurrentClock(), cacheMs, ReportStation, GraceMs);
    StationJournal journal(outputs);
    Cache = &cache;
    Watching = watching;
    if (watching) {
        cache.SetObserver(&journal);
        Outputs = &outputs;
        HangupReopens = outputs.HasEventLog();
    }
    if (options.noSnmp) {
        if (!InstallSignalHandlers(false)) {
            snmp_log(LOG_ERR, "cannot set up the signal handlers\n");
            return 1;
        }
        snmp_log(LOG_INFO, "watching the adapters every %d s, without a master agent\n",
                 options.watchSeconds);
        RunWatchOnly(options.watchSeconds);
        snmp_log(LOG_INFO, "stopping\n");
        Cache = nullptr;
        Outputs = nullptr;
        return 0;
    }
    init_agent(kAgentName);
    if (!RegisterFddimib()) {
        snmp_log(LOG_ERR, "cannot register the fddimib subtree\n");
        return 1;
    }
    // init_agent sets net-snmp's default interval; the session opened (or not) by init_snmp
    // already follows the agent's own.
    PingSeconds = options.pingSeconds;
    SetAgentXInterval(RedialSeconds());
    snmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_INDEX_START,
                           OnMasterSessionOpened, nullptr);
    snmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_INDEX_STOP,
                           OnMasterSessionStopped, nullptr);
    init_snmp(kAgentName);
    if (!InstallSignalHandlers(true)) {
        snmp_log(LOG_ERR, "cannot set up the signal handlers\n");
        return 1;
    }
    // A refused agent ends at once: the journal is kept by the agent that serves.
    if (watching && !RegistrationFailed) {
        // The first fetch at once; then one per period, whether or not a master is there.
        cache.FetchNow();
        snmp_alarm_register(static_cast<unsigned>(options.watchSeconds), SA_REPEAT, OnWatchTick,
                            nullptr);
        snmp_log(LOG_INFO, "watching the adapters every %d s\n", options.watchSeconds);
    }
    if (!SessionOpened && !RegistrationFailed) {
        snmp_log(LOG_WARNING, "no master agent at %s yet: dialling it every %d s\n",
                 MasterAddress.c_str(), RedialSeconds());
    }
    ReportMasterState();
    while (!StopRequested) {
        SetAgentXInterval(RedialSeconds());
        agent_check_and_process(1);
        ReportMasterState();
    }
    // A refused registration ends the agent with an error, so that its service manager says
    // so and tries again later.
    if (!RegistrationFailed) snmp_log(LOG_INFO, "stopping\n");
    ShuttingDown = true;
    snmp_shutdown(kAgentName);
    Cache = nullptr;
    Outputs = nullptr;
    return RegistrationFailed ? 1 : 0;
}
