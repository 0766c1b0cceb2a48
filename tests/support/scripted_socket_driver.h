// A fake driver on a device's Unix socket, for tests that go through the real device calls.
//
//   test_support::TempRuntimeDir runtimeDir;                // private socket directory
//   MyStation station;                                      // a wire::DeviceHandler
//   test_support::ScriptedSocketDriver driver("qd4682", &station);
//   ... CreateFileA("\\\\.\\qd4682", ...) now reaches `station` ...
//   driver.InjectFault(test_support::DriverFault::kStall);  // the next request gets no reply
//
// The driver serves every connection on one thread of its own: each whole request is handed to
// the handler, whose answer goes back as the reply, unless a fault was injected for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/wire/device_handler.h"

namespace test_support {

// Ways to misbehave for a request instead of answering it properly.
enum class DriverFault {
    kStall,             // read the request, never reply; the connection stays open
    kCloseMidReply,     // send the first 4 bytes of the reply header (the status), then hang up
    kShortReply,        // send the handler's reply without its last byte, then hang up
    kCountAboveOutput,  // announce and send one answer byte more than the output length
    kErrorStatus,       // reply with a nonzero status (InjectFault's `status`) and no answer
    kTrailingBytes,     // send the whole reply and, in the same write, bytes nobody asked for
    kReplyInPieces,     // send the whole reply a byte at a time, pausing between them
};

class ScriptedSocketDriver {
  public:
    // The status kErrorStatus sends unless told otherwise (ERROR_GEN_FAILURE).
    static constexpr uint32_t kDefaultFaultStatus = 31;

    // Listens on the socket of device `name`, at the path the device calls derive from the
    // current XDG_RUNTIME_DIR (a socket file already there is replaced), and serves requests with
    // `handler`, which must outlive the driver. Connections are accepted as soon as the
    // constructor returns. Throws std::runtime_error or std::system_error when it cannot listen.
    //
    // The handler's Serve runs on the driver's thread, while the client waits in DeviceIoControl:
    // a test may change the handler between requests without locking. When the handler claims
    // more answer bytes than the request's output length, the driver sends that count in the
    // reply header and hangs up, as a faulty driver would.
    ScriptedSocketDriver(const char* name, wire::DeviceHandler* handler);
    // Stops the thread, closes every connection and removes the socket file.
    ~ScriptedSocketDriver();
    ScriptedSocketDriver(const ScriptedSocketDriver&) = delete;
    ScriptedSocketDriver& operator=(const ScriptedSocketDriver&) = delete;

    // Queues `fault` for `requests` requests: requests, in the order they arrive on any
    // connection, use up the queued faults in the order injected instead of getting a proper
    // reply; once the queue is empty they are served normally again. The handler still serves
    // kCloseMidReply, kShortReply and kCountAboveOutput requests (their bytes come from its
    // answer), not kStall and kErrorStatus ones. Once a connection stalled, the requests that
    // follow on it are read and dropped.
    void InjectFault(DriverFault fault, int requests = 1, uint32_t status = kDefaultFaultStatus);

    // Counters, all up to date by the time the client has its reply (or saw the hang-up).
    int ConnectionsAccepted() const;
    int RequestsReceived() const;    // whole requests read, faulted ones included
    int RequestsAnswered() const;    // requests given the handler's answer as a proper reply
    uint64_t BytesReceived() const;  // every byte read from clients, malformed ones included

    const std::string& SocketPath() const;

  private:
    class Server;
    std::unique_ptr<Server> server_;
};

// Leaves a socket file at the path of device `name` with nobody listening on it, as a driver
// that crashed leaves behind; returns its path. Throws like the driver's constructor.
std::string LeaveStaleSocket(const char* name);

}  // namespace test_support
