#pragma once
// One request datagram and one reply over UDP and IPv4, for the built-in UDP.

#include <cstdint>

// Sends `length` bytes to host:port (dotted-decimal IPv4) from a socket bound to the same port
// on every local address, and waits up to two seconds for one reply of at most *replyLength
// bytes from that host and port (anything else arriving meanwhile is passed over, and so is the
// request itself when host:port is this socket's own address). On return *replyLength holds
// the bytes received: 0 when nothing came in time or the socket could not be made, bound or
// sent on (a console line says which), negative when the receive failed.
void getUDPdata(const char* host, int port, const uint8_t* request, int length, uint8_t* reply,
                int* replyLength);
