#pragma once

#include <cstdint>

namespace vexa::platform {

// Thin, non-blocking IPv4 TCP client calls. Every readiness check is a zero-timeout poll(), so
// no call here waits except resolveIpv4 (a name look-up) and the drain of closeGracefully.
// All functions are safe to call from any thread; a descriptor is used by one thread at a time.

inline constexpr int kInvalidSocket = -1;

// A new IPv4 stream socket in non-blocking mode (close-on-exec), or kInvalidSocket.
int createTcpSocket();
void closeSocket(int fd);
void shutdownSending(int fd);
void shutdownBoth(int fd);
// Sends small writes at once instead of waiting for the peer's acknowledgement: a TLS
// handshake writes several small records in a row, which would otherwise wait for a delayed
// acknowledgement (about 40 ms) each time.
void sendWithoutDelay(int fd);

// Starts a connect to an IPv4 address (network byte order). Connected means it completed at
// once; InProgress that the handshake continues; Failed that the call was refused at once.
enum class ConnectStart { Connected, InProgress, Failed };
ConnectStart startConnect(int fd, uint32_t address, uint16_t port);

// Readiness with a zero timeout. An invalid descriptor is never writable, and for a read
// counts as an error.
bool pollWritable(int fd);
// Both at once, for a read: an error comes first, then data or the peer's close.
enum class ReadReadiness { Error, Readable, Nothing };
ReadReadiness pollForReading(int fd);

// send with MSG_NOSIGNAL: bytes sent (>= 0), kWouldBlock, or kSocketError.
// recv: bytes received (> 0), 0 when the peer has closed, kWouldBlock, or kSocketError.
inline constexpr int32_t kWouldBlock = -1;
inline constexpr int32_t kSocketError = -2;
int32_t sendBytes(int fd, const void* bytes, uint32_t length);
int32_t receiveBytes(int fd, void* out, uint32_t length);

// True when a zero-byte send succeeds: the connect has completed and the socket takes data.
bool canSend(int fd);

// The IPv4 address (network byte order) of a dotted address or host name, or 0 when it is
// unknown. Uses getaddrinfo, so it may be called on several threads at once.
uint32_t resolveIpv4(const char* name);

}  // namespace vexa::platform
