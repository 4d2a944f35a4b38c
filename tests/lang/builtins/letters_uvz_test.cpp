// Built-ins of the letters U to Z and the usr_ family whose work leaves the process: a UDP
// exchange with a peer of the test's own on a loopback address, user programs written by the
// test, and the working folder switch.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "diary/diary_globals.h"
#include "lang/builtins/startup.h"
#include "lang/builtins/udp_exchange.h"
#include "lang/executor.h"
#include "lang/values.h"
#include "platform/cformat.h"
#include "support/test_home.h"

namespace {

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

// A UDP peer on 127.0.0.2 at a port the system picks. The exchange binds the same port number
// on every local address, so the peer allows the address to be shared.
class UdpPeer {
 public:
  UdpPeer() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000002);
    a.sin_port = 0;
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~UdpPeer() { ::close(fd_); }
  bool bound() const { return bound_; }
  int port() const { return port_; }

  // Waits (bounded) for one request, keeps its bytes and answers with `reply` unless empty;
  // a stranger on 127.0.0.3 first sends `stranger` to the requester when that is not empty.
  std::future<std::vector<uint8_t>> answer(std::vector<uint8_t> reply, std::vector<uint8_t> stranger = {}) {
    return std::async(std::launch::async, [this, reply, stranger] {
      std::vector<uint8_t> got;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10000) != 1) return got;
      uint8_t buffer[2048];
      sockaddr_in from{};
      socklen_t len = sizeof from;
      const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
      if (n >= 0) got.assign(buffer, buffer + n);
      got.push_back(0xEE);  // marks that a datagram came, even an empty one
      if (!stranger.empty()) {
        const int other = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(0x7F000003);
        ::bind(other, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::sendto(other, stranger.data(), stranger.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
        ::close(other);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (!reply.empty())
        ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
      return got;
    });
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  bool bound_ = false;
};

class LettersUVZ : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    vkButtonDownSinceMs = 0;
  }
  void TearDown() override {
    vkButtonDownSinceMs = 0;
    vkDataPathString.clear();
    vkDataCPath.clear();
    vkPreferencesCPath.clear();
  }
};

TEST_F(LettersUVZ, UdpSendsTheLowBytesAndReturnsTheReply) {
  UdpPeer peer;
  ASSERT_TRUE(peer.bound());
  auto got = peer.answer({1, 2, 200});
  EXPECT_EQ(run(pravella::cformat("UDP(\"127.0.0.2\", %d, |65, 321, 0, 255.9|);", peer.port())),
            "    1.0000     2.0000   200.0000\n.OK.\n");
  EXPECT_EQ(got.get(), (std::vector<uint8_t>{65, 65, 0, 255, 0xEE}));
}

TEST_F(LettersUVZ, UdpCutsALongReplyAndSendsAnEmptyRequest) {
  UdpPeer peer;
  ASSERT_TRUE(peer.bound());
  std::vector<uint8_t> reply(300);
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<uint8_t>(i);
  auto got = peer.answer(reply);
  EXPECT_EQ(
      run(pravella::cformat("r = UDP(\"127.0.0.2\", %d, |9|); msize(r); nsize(r); r[1, 256];", peer.port())),
      "    1.0000\n  256.0000\n  255.0000\n.OK.\n");
  EXPECT_EQ(got.get(), (std::vector<uint8_t>{9, 0xEE}));
  // A request of no bytes is one empty datagram.
  auto empty = peer.answer({42});
  uint8_t answer[256];
  int length = 256;
  getUDPdata("127.0.0.2", peer.port(), nullptr, 0, answer, &length);
  EXPECT_EQ(empty.get(), (std::vector<uint8_t>{0xEE}));
  ASSERT_EQ(length, 1);
  EXPECT_EQ(answer[0], 42);
}

TEST_F(LettersUVZ, UdpWithoutAnswerIsBadUdp) {
  UdpPeer peer;
  ASSERT_TRUE(peer.bound());
  auto got = peer.answer({});
  EXPECT_EQ(run(pravella::cformat("UDP(\"127.0.0.2\", %d, |7|);", peer.port())),
            "...<Error>...Bad UDP\n.NO.\n");
  EXPECT_EQ(got.get(), (std::vector<uint8_t>{7, 0xEE}));
}

TEST_F(LettersUVZ, UdpTakesTheReplyOnlyFromThePeerItAsked) {
  {
    UdpPeer peer;
    ASSERT_TRUE(peer.bound());
    auto got = peer.answer({5}, {99});
    EXPECT_EQ(run(pravella::cformat("UDP(\"127.0.0.2\", %d, |7|);", peer.port())), "    5.0000\n.OK.\n");
    got.get();
  }
  {
    UdpPeer peer;
    ASSERT_TRUE(peer.bound());
    auto got = peer.answer({}, {99});
    EXPECT_EQ(run(pravella::cformat("UDP(\"127.0.0.2\", %d, |7|);", peer.port())),
              "...<Error>...Bad UDP\n.NO.\n");
    got.get();
  }
  // Nobody listens: the request itself arrives at the port it was sent from, and is no answer.
  int port = 0;
  {
    UdpPeer probe;
    port = probe.port();
  }
  EXPECT_EQ(run(pravella::cformat("UDP(\"127.0.0.2\", %d, |7|);", port)), "...<Error>...Bad UDP\n.NO.\n");
  // Sent to this machine's own address at the port it is sent from, the request comes back from
  // exactly the address and port it went to: still no answer.
  EXPECT_EQ(run(pravella::cformat("UDP(\"127.0.0.1\", %d, |1, 2, 3|);", port)),
            "...<Error>...Bad UDP\n.NO.\n");
  // Port numbers that would wrap to another port are refused.
  for (const char* bad : {"70000", "0", "-1", "65536"})
    EXPECT_EQ(run(std::string("UDP(\"127.0.0.2\", ") + bad + ", |7|);"), "...<Error>...Invalid arguments.\n.NO.\n")
        << bad;
}

TEST_F(LettersUVZ, UdpToAHostThatIsNoAddressSendsNothing) {
  EXPECT_EQ(run("UDP(\"not an address\", 40000, |7|);"), "...<Error>...Bad UDP\n.NO.\n");
}

TEST_F(LettersUVZ, UseTempDirectorySwitchesToTheWorkFolderAndBack) {
  vkDataPathString = (pravella::test::home() + "/work").toStdString();
  current_fullPath = "/start";
  EXPECT_EQ(run("useTempDirectory(1); a$ = currentDirectory(0); a$; useTempDirectory(0); b$ = "
                "currentDirectory(0); b$;"),
            vkDataPathString + "\n/start\n.OK.\n");
  // Two switches in a row keep the work folder as the saved one.
  EXPECT_EQ(
      run("useTempDirectory(1); useTempDirectory(1); useTempDirectory(0); a$ = currentDirectory(0); a$;"),
      vkDataPathString + "\n.OK.\n");
}

TEST_F(LettersUVZ, AFailedRunForgetsItsUnfinishedTempDirectorySwitch) {
  vkDataPathString = (pravella::test::home() + "/work").toStdString();
  current_fullPath = "/start";
  EXPECT_EQ(run("useTempDirectory(1); zz;").substr(0, 3), "...");
  EXPECT_EQ(current_fullPath, "/start");
  // The next run's own change of folder is kept, not replaced by the failed run's saved one.
  EXPECT_EQ(run("changeCurrentDirectory(\"/elsewhere\");"), ".OK.\n");
  EXPECT_EQ(current_fullPath, "/elsewhere");
}

// Folders with blanks and shell characters: the program and its paths are passed as they are.
class UserPrograms : public LettersUVZ {
 protected:
  void SetUp() override {
    LettersUVZ::SetUp();
    const QString home = pravella::test::home();
    prefs = home + "/my prefs;$(x)";
    data = home + "/my data 'q'";
    ASSERT_TRUE(QDir().mkpath(prefs + "/usrFunc"));
    ASSERT_TRUE(QDir().mkpath(data));
    vkPreferencesCPath = prefs.toStdString();
    vkDataCPath = data.toStdString();
  }

  void program(const std::string& name, const std::string& body) {
    const QString path = prefs + "/usrFunc/" + QString::fromStdString(name);
    std::ofstream(path.toStdString()) << "#!/usr/bin/python3\nimport struct, sys, time\n" << body;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  std::string file(const char* name) const {
    std::ifstream in((data + "/" + name).toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static std::string header(int32_t a, int32_t b, int32_t c) {
    const int32_t h[3] = {a, b, c};
    return std::string(reinterpret_cast<const char*>(h), 12);
  }

  QString prefs, data;
};

// Copies its first input to the result: what goes out comes back.
constexpr const char* kEcho =
    "args = sys.argv[1:]\n"
    "open(args[-1], 'wb').write(open(args[0], 'rb').read())\n"
    "open(args[-1] + '.args', 'w').write('\\n'.join(args))\n";

TEST_F(UserPrograms, AMatrixAndAStringRoundTrip) {
  program("usr_echo", kEcho);
  EXPECT_EQ(run("usr_echo(|1.5, -2, 3| |4, 5, 6e-3|); usr_echo(\"abc def\", 7);"),
            "    1.5000    -2.0000     3.0000\n    4.0000     5.0000     0.0060\nabc def\n.OK.\n");
  // The last call's files: a string of 3 + 12 bytes and a number, and the paths it was given.
  EXPECT_EQ(file("inData01.dat"), header(2, 7, 0) + "abc def");
  double seven = 7;
  EXPECT_EQ(file("inData02.dat"), header(1, 1, 1) + std::string(reinterpret_cast<const char*>(&seven), 8));
  EXPECT_EQ(file("result.dat.args"),
            (data + "/inData01.dat\n" + data + "/inData02.dat\n" + data + "/result.dat").toStdString());
}

TEST_F(UserPrograms, ExchangeFilesHoldTheHeaderAndTheData) {
  program("usr_sum",
          "a = open(sys.argv[1], 'rb').read()\n"
          "t, r, c = struct.unpack('<iii', a[:12])\n"
          "v = struct.unpack('<%dd' % (r * c), a[12:])\n"
          "open(sys.argv[-1], 'wb').write(struct.pack('<iiid', 1, 1, 1, sum(v)))\n");
  EXPECT_EQ(run("usr_sum(|1, 2, 3| |4, 5, 6|);"), "   21.0000\n.OK.\n");
  EXPECT_EQ(file("inData01.dat").size(), 12u + 48u);
  EXPECT_EQ(file("inData01.dat").substr(0, 12), header(1, 2, 3));
}

TEST_F(UserPrograms, ResultHeadersGiveTheirShapes) {
  program("usr_empty5", "open(sys.argv[-1], 'wb').write(struct.pack('<iii', 1, 0, 5))\n");
  program("usr_emptys", "open(sys.argv[-1], 'wb').write(struct.pack('<iii', 2, 0, 0))\n");
  program("usr_type3", "open(sys.argv[-1], 'wb').write(struct.pack('<iii', 3, 1, 1))\n");
  program("usr_short", "open(sys.argv[-1], 'wb').write(struct.pack('<ii', 1, 1))\n");
  program("usr_fewer", "open(sys.argv[-1], 'wb').write(struct.pack('<iiid', 1, 1, 2, 1.0))\n");
  program("usr_fewerstr", "open(sys.argv[-1], 'wb').write(struct.pack('<iii', 2, 5, 0) + b'ab')\n");
  program("usr_huge", "open(sys.argv[-1], 'wb').write(struct.pack('<iii', 1, 1001, 1000))\n");
  program("usr_negative", "open(sys.argv[-1], 'wb').write(struct.pack('<iii', 1, -1, 2))\n");
  EXPECT_EQ(run("a = usr_empty5(1); msize(a); nsize(a); s$ = usr_emptys(1); msize(s$);"),
            "    0.0000\n    5.0000\n    0.0000\n.OK.\n");
  EXPECT_EQ(run("usr_type3(1);"), "...<Error>...Unknown Type\n.NO.\n");
  EXPECT_EQ(run("usr_short(1);"), "...<Error>...Can not read param\n\n.NO.\n");
  EXPECT_EQ(run("usr_fewer(1);"), "...<Error>...Can not read num_data\n\n.NO.\n");
  EXPECT_EQ(run("usr_fewerstr(1);"), "...<Error>...Can not read strings\n\n.NO.\n");
  EXPECT_EQ(run("usr_huge(1);"), "...<Error>...Too big data\n.NO.\n");
  EXPECT_EQ(run("usr_negative(1);"), "...<Error>...(-)Memory allocation error.\n.NO.\n");
}

TEST_F(UserPrograms, FailuresOfTheProgramAndItsArguments) {
  program("usr_fail", "sys.exit(3)\n");
  program("usr_nothing", "pass\n");
  program("usr_echo", kEcho);
  EXPECT_EQ(run("usr_fail(1);"), "...<Error>...Some Error. See Console\n.NO.\n");
  // An old result does not pass for the new one.
  std::ofstream((data + "/result.dat").toStdString()) << header(1, 1, 1) << std::string(8, '\0');
  EXPECT_EQ(run("usr_nothing(1);"), "...<Error>...Can not open file\n\n.NO.\n");
  EXPECT_FALSE(QFileInfo::exists(data + "/result.dat"));
  EXPECT_EQ(run("usr_missing(1);"), "...<Error>...Unknown usr_program\n.NO.\n");
  // A name whose path would pass 255 bytes names no program.
  EXPECT_EQ(run("usr_" + std::string(240, 'a') + "(1);"), "...<Error>...Unknown usr_program\n.NO.\n");
  // A file that cannot be run fails as the program's own failure.
  program("usr_plain", "pass\n");
  QFile::setPermissions(prefs + "/usrFunc/usr_plain", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_EQ(run("usr_plain(1);"), "...<Error>...Some Error. See Console\n.NO.\n");
  std::string args = "usr_echo(1";
  for (int i = 2; i <= 21; ++i) args += ", 1";
  EXPECT_EQ(run(args + ");"), "...<Error>...Invalid number of arguments\n.NO.\n");
  // An integer matrix is refused; the argument to its right was already written.
  QFile::remove(data + "/inData02.dat");
  EXPECT_EQ(run("a% = |1, 2|; usr_echo(a%, \"x\");"), "...<Error>...Unknown argument\n.NO.\n");
  EXPECT_EQ(file("inData02.dat"), header(2, 1, 0) + "x");
}

TEST_F(UserPrograms, AProgramThatHangsIsStoppedByTheBreak) {
  program("usr_hang", "time.sleep(60)\n");
  // The button goes down once the program runs; the wait sees it held and stops the program.
  auto press = std::async(std::launch::async, [] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    vkButtonDownSinceMs = vkSteadyMillis() - 5000;
  });
  EXPECT_EQ(run("usr_hang(1);"), "...<Error>...Some Error. See Console\n.NO.\n");
}

}  // namespace
