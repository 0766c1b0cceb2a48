// The simulator as a program: one per socket, stale sockets replaced, the socket gone when it
// ends, and clients that misbehave never keeping the others from being served.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/wire/device_wire.h"
#include "simulator/socket_server.h"
#include "simulator/station_driver.h"
#include "tests/simulator/sim_process.h"
#include "tests/simulator/wire_client.h"

namespace {

using sim_test::SimProcess;

// Generous bounds: the tests wait for things to happen, never time them.
constexpr int kStartMs = 10000;
constexpr int kReplyMs = 5000;
constexpr int kCloseMs = 10000;

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The first request of the monitor's fetch cycle; true when it is answered.
bool ServedMacConfiguration(int fd) {
    const sim_test::Reply reply = sim_test::Exchange(
        fd, sim::kIoctlSmtGet, sim_test::SmtGetBuffer(0, 0x2014, 1), sim::kSmtBufferSize, kReplyMs);
    return reply.received && reply.status == 0 && reply.answer.size() == sim::kSmtBufferSize;
}

bool ServedOnNewConnection(const std::string& path) {
    const int fd = sim_test::ConnectTo(path, kReplyMs);
    if (fd < 0) return false;
    const bool served = ServedMacConfiguration(fd);
    close(fd);
    return served;
}

class SocketServerTest : public ::testing::Test {
  protected:
    sim_test::TempDir runtime_;
    sim_test::TempDir logs_;
};

TEST_F(SocketServerTest, AnnouncesItsSocketAndServesOwnerOnly) {
    SimProcess sim(runtime_.path(), logs_.path(), {"--instances", "2", "--seed", "5"});
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    EXPECT_NE(sim.Output().find(sim.SocketPath()), std::string::npos) << sim.Output();
    struct stat st;
    ASSERT_EQ(lstat(sim.SocketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const int fd = sim_test::ConnectTo(sim.SocketPath(), kReplyMs);
    ASSERT_GE(fd, 0);
    // One connection carries any number of requests in turn.
    EXPECT_TRUE(ServedMacConfiguration(fd));
    std::vector<uint8_t> record(148, 0);
    wire::PutU32(record.data(), 1);
    const sim_test::Reply stats =
        sim_test::Exchange(fd, sim::kIoctlDriverStats, record, 148, kReplyMs);
    EXPECT_TRUE(stats.received);
    EXPECT_EQ(stats.status, 0u);
    const sim_test::Reply refused = sim_test::Exchange(
        fd, sim::kIoctlSmtGet, sim_test::SmtGetBuffer(2, 0x2014, 1), sim::kSmtBufferSize, kReplyMs);
    EXPECT_TRUE(refused.received);
    EXPECT_EQ(refused.status, 0x1Fu);
    EXPECT_TRUE(refused.answer.empty());
    close(fd);
}

TEST_F(SocketServerTest, SecondSimulatorOnTheSameSocketIsRefused) {
    SimProcess first(runtime_.path(), logs_.path());
    ASSERT_TRUE(first.WaitUntilServing(kStartMs)) << first.Errors();
    SimProcess second(runtime_.path(), logs_.path());
    EXPECT_EQ(second.WaitForExit(kStartMs), 1);
    EXPECT_NE(second.Errors().find("already serves"), std::string::npos) << second.Errors();
    EXPECT_TRUE(ServedOnNewConnection(first.SocketPath()));
}

TEST_F(SocketServerTest, StaleSocketIsReplaced) {
    const std::string path = runtime_.path() + "/qd4682";
    // A socket file nobody listens on, as a crashed simulator leaves it.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(Exists(path));

    SimProcess sim(runtime_.path(), logs_.path());
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    EXPECT_TRUE(ServedOnNewConnection(path));
}

TEST_F(SocketServerTest, SomethingElseOnThePathIsLeftAlone) {
    const std::string path = runtime_.path() + "/qd4682";
    std::ofstream(path) << "not a socket";
    SimProcess sim(runtime_.path(), logs_.path());
    EXPECT_EQ(sim.WaitForExit(kStartMs), 1);
    EXPECT_NE(sim.Errors().find("not a socket"), std::string::npos) << sim.Errors();
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(SocketServerTest, SocketIsRemovedWhenTheSimulatorIsStopped) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SimProcess sim(runtime_.path(), logs_.path());
        ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
        ASSERT_TRUE(Exists(sim.SocketPath()));
        sim.Signal(signal);
        EXPECT_EQ(sim.WaitForExit(kCloseMs), 0) << "signal " << signal;
        EXPECT_FALSE(Exists(sim.SocketPath())) << "signal " << signal;
    }
}

// A server in this process, with a stall timeout of the test's choosing.
class InProcessServer {
  public:
    InProcessServer(const std::string& path, uint32_t stallTimeoutMs)
        : driver_(sim::DriverConfig{}, platform::CurrentClock()),
          server_(driver_, platform::CurrentClock(), nullptr, Limits(stallTimeoutMs)) {
        std::string message;
        serving_ = server_.Start(path, &message) == sim::StartResult::kServing;
        if (serving_) thread_ = std::thread([this] { server_.Run(); });
    }
    ~InProcessServer() {
        server_.RequestStop();
        if (thread_.joinable()) thread_.join();
    }
    bool serving() const { return serving_; }

  private:
    static sim::ServerLimits Limits(uint32_t stallTimeoutMs) {
        sim::ServerLimits limits;
        limits.stallTimeoutMs = stallTimeoutMs;
        return limits;
    }
    sim::StationDriver driver_;
    sim::SocketServer server_;
    bool serving_ = false;
    std::thread thread_;
};

// Clients that break off in the middle of things, each on its own connection.
struct MisbehavingClients {
    explicit MisbehavingClients(const std::string& path) {
        for (int* fd : {&garbage, &oversized, &stalled, &halfSent, &neverReads}) {
            *fd = sim_test::ConnectTo(path, kReplyMs);
        }
        const std::string text = "this is not a request, it is a line of text\n";
        sim_test::SendAll(garbage, std::vector<uint8_t>(text.begin(), text.end()));
        sim_test::SendAll(oversized,
                          sim_test::RequestBytes(sim::kIoctlSmtGet, {}, wire::kMaxLength + 1));
        const std::vector<uint8_t> request = sim_test::RequestBytes(
            sim::kIoctlSmtGet, sim_test::SmtGetBuffer(0, 0x2014, 1), sim::kSmtBufferSize);
        sim_test::SendAll(stalled, std::vector<uint8_t>(request.begin(), request.begin() + 5));
        sim_test::SendAll(halfSent, std::vector<uint8_t>(request.begin(), request.begin() + 100));
        // Requests as fast as the socket takes them, replies never read, until the server
        // stops taking more because its replies have nowhere to go.
        fcntl(neverReads, F_SETFL, O_NONBLOCK);
        size_t at = 0;
        for (int sent = 0; sent < 4000;) {
            const ssize_t n =
                send(neverReads, request.data() + at, request.size() - at, MSG_NOSIGNAL);
            if (n > 0) {
                at += static_cast<size_t>(n);
                if (at == request.size()) {
                    at = 0;
                    ++sent;
                }
                continue;
            }
            pollfd p = {neverReads, POLLOUT, 0};
            if (n < 0 && errno == EAGAIN && poll(&p, 1, 500) == 1) continue;
            break;
        }
    }
    ~MisbehavingClients() {
        for (int fd : {garbage, oversized, stalled, halfSent, neverReads})
            close(fd);
    }
    bool AllConnected() const {
        return garbage >= 0 && oversized >= 0 && stalled >= 0 && halfSent >= 0 && neverReads >= 0;
    }
    int garbage = -1;
    int oversized = -1;
    int stalled = -1;
    int halfSent = -1;
    int neverReads = -1;
};

// With stalled clients that would hold the server for a minute, a monitor's requests are
// still answered at once.
TEST_F(SocketServerTest, MisbehavingClientsDoNotHoldUpOthers) {
    const std::string path = runtime_.path() + "/qd4682";
    InProcessServer server(path, 60000);
    ASSERT_TRUE(server.serving());
    MisbehavingClients clients(path);
    ASSERT_TRUE(clients.AllConnected());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(ServedOnNewConnection(path)) << "request " << i;
    EXPECT_TRUE(sim_test::PeerCloses(clients.garbage, kCloseMs));
    EXPECT_TRUE(sim_test::PeerCloses(clients.oversized, kCloseMs));
    EXPECT_TRUE(ServedOnNewConnection(path));
}

TEST_F(SocketServerTest, StalledConnectionsAreClosed) {
    const std::string path = runtime_.path() + "/qd4682";
    InProcessServer server(path, 200);
    ASSERT_TRUE(server.serving());
    MisbehavingClients clients(path);
    ASSERT_TRUE(clients.AllConnected());
    EXPECT_TRUE(sim_test::PeerCloses(clients.stalled, kCloseMs));
    EXPECT_TRUE(sim_test::PeerCloses(clients.halfSent, kCloseMs));
    EXPECT_TRUE(sim_test::PeerHangsUp(clients.neverReads, kCloseMs));
    EXPECT_TRUE(ServedOnNewConnection(path));
}

// The same, against the program.
TEST_F(SocketServerTest, SimulatorSurvivesMisbehavingClients) {
    SimProcess sim(runtime_.path(), logs_.path());
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    {
        MisbehavingClients clients(sim.SocketPath());
        ASSERT_TRUE(clients.AllConnected());
        EXPECT_TRUE(ServedOnNewConnection(sim.SocketPath()));
        EXPECT_TRUE(sim_test::PeerCloses(clients.stalled, kCloseMs));
    }
    EXPECT_TRUE(ServedOnNewConnection(sim.SocketPath()));
    EXPECT_EQ(sim.WaitForExit(0), -1) << "the simulator still runs";
}

TEST_F(SocketServerTest, ServesManyClientsAtOnce) {
    SimProcess sim(runtime_.path(), logs_.path(), {"--instances", "3"});
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    // More idle clients than the server keeps connections for.
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) {
        const int fd = sim_test::ConnectTo(sim.SocketPath(), kReplyMs);
        ASSERT_GE(fd, 0);
        idle.push_back(fd);
    }
    std::vector<int> busy;
    for (int i = 0; i < 4; ++i)
        busy.push_back(sim_test::ConnectTo(sim.SocketPath(), kReplyMs));
    for (int round = 0; round < 10; ++round) {
        for (int fd : busy)
            ASSERT_TRUE(ServedMacConfiguration(fd)) << "round " << round;
    }
    for (int fd : idle)
        close(fd);
    for (int fd : busy)
        close(fd);
}

// Clients that send a request one byte at a time, a byte well inside the stall time after the
// one before, and never finish it; they go on until the server closes them or the test ends.
class TricklingClients {
  public:
    TricklingClients(const std::string& path, int count) {
        for (int i = 0; i < count; ++i)
            fds_.push_back(sim_test::ConnectTo(path, kReplyMs));
        thread_ = std::thread([this] {
            const std::vector<uint8_t> request = sim_test::RequestBytes(
                sim::kIoctlSmtGet, sim_test::SmtGetBuffer(0, 0x2014, 1), sim::kSmtBufferSize);
            std::unique_lock<std::mutex> lock(mutex_);
            for (size_t at = 0; at < request.size(); ++at) {
                for (int fd : fds_)
                    send(fd, &request[at], 1, MSG_NOSIGNAL | MSG_DONTWAIT);
                if (stopped_.wait_for(lock, std::chrono::milliseconds(300),
                                      [this] { return stop_; }))
                    return;
            }
        });
    }
    ~TricklingClients() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        stopped_.notify_all();
        thread_.join();
        for (int fd : fds_)
            close(fd);
    }
    const std::vector<int>& fds() const { return fds_; }

  private:
    std::vector<int> fds_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
    std::thread thread_;
};

// More slow clients than the server has connections: a monitor is still answered at once, and
// every slow client is closed in the end although it never stops sending.
TEST_F(SocketServerTest, SlowClientsNeverLockOthersOut) {
    SimProcess sim(runtime_.path(), logs_.path());
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    TricklingClients slow(sim.SocketPath(), 40);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(ServedOnNewConnection(sim.SocketPath())) << "request " << i;
    for (size_t i = 0; i < slow.fds().size(); ++i)
        EXPECT_TRUE(sim_test::PeerCloses(slow.fds()[i], kCloseMs)) << "slow client " << i;
}

// With room for only a few connections, idle clients give way to new ones, and running out of
// descriptors is reported once, not once per try.
TEST_F(SocketServerTest, OutOfDescriptorsTheLongestIdleGiveWay) {
    SimProcess sim(runtime_.path(), logs_.path(), {}, 10);
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    // Served once while descriptors are to spare: the sanitizers' first check of the driver's
    // type needs a descriptor of its own.
    EXPECT_TRUE(ServedOnNewConnection(sim.SocketPath()));
    std::vector<int> idle;
    for (int i = 0; i < 20; ++i)
        idle.push_back(sim_test::ConnectTo(sim.SocketPath(), kReplyMs));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ServedOnNewConnection(sim.SocketPath())) << "request " << i;
    for (int fd : idle)
        close(fd);
    const std::string errors = sim.Errors();
    size_t lines = 0;
    for (size_t at = errors.find("accept:"); at != std::string::npos;
         at = errors.find("accept:", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << errors;
}

}  // namespace
