// The connection in the browser build: a web page has no UDP sockets for
// ENet, so hosting and joining fail at once with the reason, and the rest is
// a link that never connects. The menu there offers no network match; this
// keeps a match asked for anyway (a stale option, a script) an honest failure.
#include "net/link.h"

namespace net {

namespace {
const char* const kNoNetwork = "Network play needs the desktop game: a web page cannot open the game's UDP port";
}

CNetLink::CNetLink() = default;

CNetLink::~CNetLink() = default;

bool CNetLink::listen(uint16_t, std::string& error) {
  error = kNoNetwork;
  state_ = State::kClosed;
  return false;
}

bool CNetLink::connect(const std::string&, uint16_t, std::string& error) {
  error = kNoNetwork;
  state_ = State::kClosed;
  return false;
}

void CNetLink::service(uint32_t) {}

uint32_t CNetLink::roundTrip() const { return 0; }

void CNetLink::send(const Bytes&, bool) {}

bool CNetLink::receive(Bytes& bytes) {
  if (received_.empty()) return false;
  bytes = std::move(received_.front());
  received_.pop_front();
  return true;
}

bool CNetLink::reopen() { return false; }

void CNetLink::close() { state_ = State::kClosed; }

void CNetLink::impair(const LinkImpairment& impairment, std::function<uint32_t()> clock) {
  impairment_ = impairment;
  clock_ = std::move(clock);
}

}  // namespace net
