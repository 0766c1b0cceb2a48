// The simulator as a program: one per socket, stale sockets replaced, the socket gone when it
// ends, and clients that misbehave never keeping the others from being served.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/wire/device_wire.h"
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

TEST_F(SocketServerTest, MisbehavingClientsDoNotHoldUpOthers) {
    SimProcess sim(runtime_.path(), logs_.path());
    ASSERT_TRUE(sim.WaitUntilServing(kStartMs)) << sim.Errors();
    const std::string path = sim.SocketPath();

    const int garbage = sim_test::ConnectTo(path, kReplyMs);
    const int oversized = sim_test::ConnectTo(path, kReplyMs);
    const int stalled = sim_test::ConnectTo(path, kReplyMs);
    const int halfSent = sim_test::ConnectTo(path, kReplyMs);
    const int neverReads = sim_test::ConnectTo(path, kReplyMs);
    ASSERT_GE(garbage, 0);
    ASSERT_GE(oversized, 0);
    ASSERT_GE(stalled, 0);
    ASSERT_GE(halfSent, 0);
    ASSERT_GE(neverReads, 0);

    const std::string text = "this is not a request, it is a line of text\n";
    EXPECT_TRUE(sim_test::SendAll(garbage, std::vector<uint8_t>(text.begin(), text.end())));
    EXPECT_TRUE(sim_test::SendAll(
        oversized, sim_test::RequestBytes(sim::kIoctlSmtGet, {}, wire::kMaxLength + 1)));
    const std::vector<uint8_t> request = sim_test::RequestBytes(
        sim::kIoctlSmtGet, sim_test::SmtGetBuffer(0, 0x2014, 1), sim::kSmtBufferSize);
    EXPECT_TRUE(
        sim_test::SendAll(stalled, std::vector<uint8_t>(request.begin(), request.begin() + 5)));
    EXPECT_TRUE(
        sim_test::SendAll(halfSent, std::vector<uint8_t>(request.begin(), request.begin() + 100)));
    // Requests sent as fast as the socket takes them, replies never read.
    fcntl(neverReads, F_SETFL, O_NONBLOCK);
    for (int i = 0; i < 400; ++i) {
        if (send(neverReads, request.data(), request.size(), MSG_NOSIGNAL) <= 0) break;
    }

    // A monitor's fetch cycle meanwhile: every request answered.
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(ServedOnNewConnection(path)) << "request " << i;

    EXPECT_TRUE(sim_test::PeerCloses(garbage, kCloseMs));
    EXPECT_TRUE(sim_test::PeerCloses(oversized, kCloseMs));
    EXPECT_TRUE(sim_test::PeerCloses(stalled, kCloseMs));
    EXPECT_TRUE(sim_test::PeerCloses(halfSent, kCloseMs));
    EXPECT_TRUE(ServedOnNewConnection(path));
    for (int fd : {garbage, oversized, stalled, halfSent, neverReads})
        close(fd);
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

}  // namespace
