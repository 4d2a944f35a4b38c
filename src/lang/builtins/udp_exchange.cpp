#include "lang/builtins/udp_exchange.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "platform/console_log.h"

namespace {

constexpr int kReplyWaitMs = 2000;

void consoleError(const char* what) {
  showErrMessageToConsole(std::string(what) + ": " + std::strerror(errno) + "\n");
}

// Closes the socket on every way out.
struct SocketGuard {
  int fd;
  ~SocketGuard() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

void getUDPdata(const char* host, int port, const uint8_t* request, int length, uint8_t* reply,
                int* replyLength) {
  const int capacity = *replyLength;
  *replyLength = 0;
  SocketGuard sock{::socket(AF_INET, SOCK_DGRAM, 0)};
  if (sock.fd < 0) {
    consoleError("socket error");
    return;
  }
  // A peer on this machine listens on the same port number at its own loopback address; the
  // reuse flag lets both sockets hold the port.
  const int on = 1;
  ::setsockopt(sock.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(sock.fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    consoleError("bind error");
    return;
  }
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, host, &peer.sin_addr) != 1) {
    errno = EINVAL;
    consoleError("sendto error");
    return;
  }
  // Connected, the socket takes datagrams from the peer alone, and its own address shows: when
  // the request goes to an address of this machine at the port it was sent from, the peer is
  // this very socket, and what arrives from it is the request coming back, never an answer.
  if (::connect(sock.fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    consoleError("sendto error");
    return;
  }
  sockaddr_in self{};
  socklen_t selfLength = sizeof self;
  const bool talkingToItself = ::getsockname(sock.fd, reinterpret_cast<sockaddr*>(&self), &selfLength) == 0 &&
                               self.sin_addr.s_addr == peer.sin_addr.s_addr && self.sin_port == peer.sin_port;
  if (::send(sock.fd, request, static_cast<std::size_t>(length), 0) < 0) {
    consoleError("sendto error");
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyWaitMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd wait{sock.fd, POLLIN, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t got = ::recvfrom(sock.fd, reply, static_cast<std::size_t>(capacity), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got < 0) {
      // The peer's machine said that nobody listens there: no answer will come.
      if (errno == ECONNREFUSED || errno == EINTR) continue;
      *replyLength = -1;
      return;
    }
    if (talkingToItself) continue;
    if (from.sin_family == AF_INET && from.sin_addr.s_addr == peer.sin_addr.s_addr && from.sin_port == peer.sin_port) {
      *replyLength = static_cast<int>(got);
      return;
    }
  }
}
