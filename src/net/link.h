// The connection to the other machine over ENet: hosting (waiting for one
// player) or joining, reliable messages for the match's terms and its end,
// unreliable ones for the lockstep. For tests and trials of bad networks,
// the unreliable messages can be sent through a simulated lossy, slow link.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "net/wire.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

namespace net {

constexpr uint16_t kDefaultPort = 28470;

// What the simulated link does to each unreliable message: drops a share of
// them (by a seeded generator) and holds the rest for a one-way delay.
struct LinkImpairment {
  int lossPercent = 0;
  uint32_t delayMs = 0;
  uint32_t seed = 1;
};

class CNetLink {
 public:
  enum class State { kIdle, kWaiting, kConnected, kClosed };

  CNetLink();
  ~CNetLink();
  CNetLink(const CNetLink&) = delete;
  CNetLink& operator=(const CNetLink&) = delete;

  // Waits for one player on `port` (0: any free port, see port()).
  bool listen(uint16_t port, std::string& error);
  // Starts connecting; state() says when it worked or failed.
  bool connect(const std::string& host, uint16_t port, std::string& error);

  // Runs ENet for up to `waitMs` (0: what is there now), delivering the
  // messages held back by an impairment when their time has come.
  void service(uint32_t waitMs = 0);
  State state() const { return state_; }
  uint16_t port() const { return port_; }
  // ENet's own round trip to the peer, in ms (0 before it is connected),
  // with a simulated link's delay.
  uint32_t roundTrip() const;

  void send(const Bytes& bytes, bool reliable);
  // The next message that arrived, oldest first.
  bool receive(Bytes& bytes);

  // After the other player left or went silent: the host waits on its port
  // for a player again, the joining side tries the host again. False when
  // there is nothing to reopen.
  bool reopen();

  // Sends what is queued, says goodbye and lets go of the port.
  void close();

  void impair(const LinkImpairment& impairment, std::function<uint32_t()> clock);

 private:
  void sendNow(const Bytes& bytes, bool reliable);
  void releaseHeld();

  ENetHost* host_ = nullptr;
  ENetPeer* peer_ = nullptr;
  State state_ = State::kIdle;
  uint16_t port_ = 0;
  bool listening_ = false;
  uint32_t hostAddress_ = 0;  // joining: the host's, for trying it again
  std::deque<Bytes> received_;

  LinkImpairment impairment_;
  std::function<uint32_t()> clock_;
  uint32_t random_ = 1;
  struct Held {
    uint32_t due;
    Bytes bytes;
  };
  std::deque<Held> held_;
};

}  // namespace net
