// ENet underneath the link; see link.h.
#include "net/link.h"

#include <enet/enet.h>

#include <chrono>
#include <cstdlib>

namespace net {

namespace {

constexpr enet_uint8 kReliableChannel = 0;
constexpr enet_uint8 kLockstepChannel = 1;
constexpr size_t kChannels = 2;
// Sent with the connection request: something else on the port that
// happens to speak ENet is turned away.
constexpr enet_uint32 kConnectMagic = 0x56455349;  // "VESI"
// ENet must not give up on a quiet peer before the match's own 10 s rule.
constexpr enet_uint32 kPeerTimeoutMs = 12000;
// How long a goodbye may wait for the other side to take what was sent
// before it; only a side that has stopped answering makes it wait so long.
constexpr auto kGoodbyeWait = std::chrono::milliseconds(1000);

bool g_enetReady = false;

bool ensureEnet(std::string& error) {
  if (g_enetReady) return true;
  if (enet_initialize() != 0) {
    error = "The network library could not start.";
    return false;
  }
  std::atexit(enet_deinitialize);
  g_enetReady = true;
  return true;
}

}  // namespace

CNetLink::CNetLink() = default;

CNetLink::~CNetLink() {
  if (peer_) enet_peer_reset(peer_);
  if (host_) enet_host_destroy(host_);
}

bool CNetLink::listen(uint16_t port, std::string& error) {
  if (!ensureEnet(error)) return false;
  ENetAddress address;
  address.host = ENET_HOST_ANY;
  address.port = port;
  host_ = enet_host_create(&address, 1, kChannels, 0, 0);
  if (!host_) {
    error = "Cannot wait for a player on port " + std::to_string(port) + ": the port is in use or not allowed.";
    return false;
  }
  port_ = host_->address.port;
  if (port_ == 0) {
    // Asked for any port: find out which one the system gave.
    ENetAddress bound;
    if (enet_socket_get_address(host_->socket, &bound) == 0) port_ = bound.port;
  }
  listening_ = true;
  state_ = State::kWaiting;
  return true;
}

bool CNetLink::connect(const std::string& hostName, uint16_t port, std::string& error) {
  if (!ensureEnet(error)) return false;
  ENetAddress address;
  if (enet_address_set_host(&address, hostName.c_str()) != 0) {
    error = "Cannot find the host " + hostName +
            ". Check the name, or use the address the host's window shows (such as 192.168.1.20).";
    return false;
  }
  address.port = port;
  host_ = enet_host_create(nullptr, 1, kChannels, 0, 0);
  if (!host_) {
    error = "Cannot open a network socket.";
    return false;
  }
  peer_ = enet_host_connect(host_, &address, kChannels, kConnectMagic);
  if (!peer_) {
    error = "Cannot connect to " + hostName + ".";
    return false;
  }
  port_ = port;
  hostAddress_ = address.host;
  state_ = State::kWaiting;
  return true;
}

bool CNetLink::reopen() {
  if (!host_) return false;
  // A silent peer still holds the one place the host has.
  if (peer_) enet_peer_reset(peer_);
  peer_ = nullptr;
  received_.clear();
  held_.clear();
  state_ = State::kWaiting;
  if (listening_) return true;
  ENetAddress address;
  address.host = hostAddress_;
  address.port = port_;
  peer_ = enet_host_connect(host_, &address, kChannels, kConnectMagic);
  if (!peer_) state_ = State::kClosed;
  return peer_ != nullptr;
}

void CNetLink::service(uint32_t waitMs) {
  // A closed link stays closed, whoever services it, until the match has
  // seen it and reopened: the next player's connection waits in ENet.
  if (!host_ || state_ == State::kClosed) return;
  releaseHeld();
  ENetEvent event;
  int got = enet_host_service(host_, &event, waitMs);
  while (got > 0) {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        if (event.data != kConnectMagic && peer_ != event.peer) {
          enet_peer_reset(event.peer);
          break;
        }
        peer_ = event.peer;
        enet_peer_timeout(peer_, 0, kPeerTimeoutMs, kPeerTimeoutMs);
        // Lockstep packets are small and steady; ENet's throttle would drop
        // them on a link that merely has a long round trip.
        enet_peer_throttle_configure(peer_, 5000, ENET_PEER_PACKET_THROTTLE_SCALE, 0);
        state_ = State::kConnected;
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        if (event.peer == peer_) {
          received_.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
        }
        enet_packet_destroy(event.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer == peer_) {
          peer_ = nullptr;
          state_ = State::kClosed;
          return;
        }
        break;
      case ENET_EVENT_TYPE_NONE:
        break;
    }
    got = enet_host_check_events(host_, &event);
  }
}

uint32_t CNetLink::roundTrip() const {
  if (!peer_ || state_ != State::kConnected) return 0;
  // A simulated link is as slow for this measure as for the lockstep.
  return peer_->roundTripTime + (clock_ ? 2 * impairment_.delayMs : 0);
}

void CNetLink::send(const Bytes& bytes, bool reliable) {
  if (state_ != State::kConnected) return;
  if (reliable || !clock_) {
    sendNow(bytes, reliable);
    return;
  }
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  if (static_cast<int>(random_ % 100) < impairment_.lossPercent) return;
  held_.push_back({clock_() + impairment_.delayMs, bytes});
  releaseHeld();
}

void CNetLink::releaseHeld() {
  if (!clock_) return;
  const uint32_t now = clock_();
  while (!held_.empty() && static_cast<int32_t>(now - held_.front().due) >= 0) {
    sendNow(held_.front().bytes, false);
    held_.pop_front();
  }
}

void CNetLink::sendNow(const Bytes& bytes, bool reliable) {
  if (!peer_ || state_ != State::kConnected) return;
  ENetPacket* packet =
      enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
  if (!packet) return;
  if (enet_peer_send(peer_, reliable ? kReliableChannel : kLockstepChannel, packet) != 0) enet_packet_destroy(packet);
  enet_host_flush(host_);
}

bool CNetLink::receive(Bytes& bytes) {
  if (received_.empty()) return false;
  bytes = std::move(received_.front());
  received_.pop_front();
  return true;
}

void CNetLink::close() {
  if (peer_ && state_ == State::kConnected) {
    // The goodbye leaves only once the other side has acknowledged what was
    // sent before it: a side that reads both in one breath would have the
    // disconnect wipe the message it has not handed on yet.
    enet_peer_disconnect_later(peer_, 0);
    const auto until = std::chrono::steady_clock::now() + kGoodbyeWait;
    ENetEvent event;
    while (peer_ && std::chrono::steady_clock::now() < until) {
      const int got = enet_host_service(host_, &event, 10);
      if (got < 0) break;
      if (got == 0) continue;
      if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
      if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == peer_) peer_ = nullptr;
    }
  }
  if (peer_) enet_peer_reset(peer_);
  peer_ = nullptr;
  if (host_) enet_host_destroy(host_);
  host_ = nullptr;
  held_.clear();
  received_.clear();
  state_ = State::kClosed;
}

void CNetLink::impair(const LinkImpairment& impairment, std::function<uint32_t()> clock) {
  impairment_ = impairment;
  random_ = impairment.seed ? impairment.seed : 1;
  clock_ = std::move(clock);
}

}  // namespace net
