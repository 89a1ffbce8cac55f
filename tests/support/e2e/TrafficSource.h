#pragma once

#include <QtGlobal>

// The argument that makes a test executable send traffic instead of running tests.
inline constexpr const char* kPushLoopbackArgument = "--push-loopback";

// Sends `bytes` of UDP payload from 127.0.0.1 to itself and receives each
// datagram again; false when a socket call fails. Runs in the namespace it is
// started in, so only that namespace's lo counters move.
bool pushLoopbackTraffic(qint64 bytes);

// The argument that makes it send Ethernet frames out of an interface instead.
inline constexpr const char* kPushFramesArgument = "--push-frames";

// Sends frames carrying `bytes` of payload out of `interface` (a raw packet
// socket: no address needed); false when the interface or a socket call fails.
bool pushFrames(const char* interface, qint64 bytes);

// The argument that makes a test executable send traffic until it is killed.
inline constexpr const char* kFlowLoopbackArgument = "--flow-loopback";

// Sends datagrams over lo as pushLoopbackTraffic does, a few hundred kilobytes
// a second, until the process is killed; returns only when a socket call fails.
bool flowLoopbackTraffic();
