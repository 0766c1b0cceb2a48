// Serves one device on a Unix stream socket: many clients at once from one poll() loop, each
// connection carrying requests in turn (control code, input length, output length, input;
// answered by status, count, answer). Every connection has fixed buffers for the largest
// request and reply, allocated when the server is made, so what clients send never grows the
// server's memory. A connection that breaks the protocol (a length above the limit) is closed,
// and so is one whose request is not whole within the stall timeout of its first byte or whose
// reply is not taken within the stall timeout, however many bytes trickle meanwhile. When every
// connection is taken, or the process is out of descriptors, a new client takes the place of
// the connection that has been waiting on its client longest, so slow or idle clients can
// never lock the others out.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/wire/device_handler.h"
#include "platform/wire/device_wire.h"

namespace sim {

struct ServerLimits {
    // Beyond this, a new client replaces the connection that has waited on its client longest,
    // once one has waited a little; until then it waits in the listening socket's backlog.
    size_t maxConnections = 16;
    // The time a request has to arrive whole from its first byte, and a reply to be taken.
    uint32_t stallTimeoutMs = 2000;
};

enum class StartResult {
    kServing,
    kAlreadyServed,  // a live server answers on the path
    kFailed,
};

class SocketServer {
  public:
    // `log`, when not null, gets a line for each connection closed for misbehaving.
    SocketServer(wire::DeviceHandler& handler, platform::Clock& clock, FILE* log,
                 ServerLimits limits = {});
    // Closes every connection and removes the socket, if it is still ours.
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    // Listens on `path` with `mode` (0600: the user's own device; the host's is open to every
    // user, its directory keeping it safe). A socket left there by a server that died is
    // removed; a live server on it, or anything that is not a socket, is left alone. On failure
    // `message` says why, naming the path.
    StartResult Start(const std::string& path, std::string* message, mode_t mode = 0600);

    // Something to do about once a second, between requests.
    void SetIdleTask(std::function<void()> task) { idleTask_ = std::move(task); }

    // Serves until RequestStop.
    void Run();
    // Ends Run soon; safe to call from a signal handler or another thread.
    void RequestStop();
    // After Run: closes every connection and removes the socket, as the destructor does.
    void Close();

  private:
    struct Connection {
        int fd = -1;
        bool replying = false;  // false: reading a request; true: sending its reply
        bool headerRead = false;
        wire::RequestHeader header;
        std::vector<uint8_t> request;
        size_t requestFill = 0;
        std::vector<uint8_t> reply;
        size_t replySize = 0;
        size_t replySent = 0;
        // Since when the connection waits on its client: to send a request (from admission or
        // the last reply), to finish it (from its first byte) or to take its reply. The serial
        // orders connections by that moment.
        uint64_t waitingSinceMs = 0;
        uint64_t waitingSerial = 0;
        uint64_t deadlineMs = 0;  // while busy: when the request or the reply runs out of time
    };

    void AcceptClients();
    Connection* ConnectionForNewClient();
    Connection* LongestWaiting();
    size_t OpenConnections() const;
    void NoteDescriptorShortage(int error);
    void Admit(Connection& slot, int fd);
    void ReadRequest(Connection& c);
    void ServeRequest(Connection& c);
    void SendReply(Connection& c);
    void CloseStalled();
    void RunIdleTask();
    int PollTimeoutMs() const;
    bool Busy(const Connection& c) const { return c.replying || c.requestFill > 0; }
    void Close(Connection& c, const char* why);
    void StartWaiting(Connection& c, bool withDeadline);
    void RemoveSocket();

    wire::DeviceHandler& handler_;
    platform::Clock& clock_;
    FILE* log_;
    ServerLimits limits_;
    std::function<void()> idleTask_;
    uint64_t lastIdleTaskMs_ = 0;
    std::vector<Connection> connections_;
    uint64_t waitingSerial_ = 0;
    uint64_t acceptPausedUntilMs_ = 0;  // after running out of descriptors, or connections
    bool outOfDescriptors_ = false;     // logged once for each episode
    uint64_t lastShortageMs_ = 0;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string path_;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
};

}  // namespace sim
