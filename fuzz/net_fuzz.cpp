// Fuzz target for what arrives from the other machine: arbitrary bytes are
// read as a lockstep packet by a side in the middle of a match, and as the
// host's terms and as the history a side that comes back rebuilds the match
// from; none may read out of bounds, and a packet refused must change
// nothing the side sends next.
#include <cstdint>
#include <algorithm>
#include <cstdlib>

#include "net/lockstep.h"
#include "net/match_terms.h"
#include "longest_input.h"

namespace {
CLongestInput g_longest("net_fuzz");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_longest.note(size);
  // A side that has run some steps, with inputs and a hash under way.
  net::CLockstep side(1, 0), peer(2, 0);
  PlayerInput in;
  in.action = PlayerAction::kMouseMotion;
  in.x = 100;
  for (uint32_t step = 0; step < net::CLockstep::kHashEverySteps; ++step) {
    side.addLocalInput(in);
    const net::Bytes p = peer.makePacket(step);
    side.readPacket(p.data(), p.size(), step);
    const net::Bytes q = side.makePacket(step);
    peer.readPacket(q.data(), q.size(), step);
    for (net::CLockstep* ls : {&side, &peer}) {
      if (!ls->stepReady()) continue;
      ls->finishStep();
      if (ls->hashDue()) ls->recordHash(ls->nextStep());
    }
  }
  const net::Bytes before = side.makePacket(1000);
  if (!side.readPacket(data, size, 1000)) {
    // Only the packet's number moves on.
    net::Bytes after = side.makePacket(1000);
    if (after.size() != before.size() || !std::equal(after.begin() + 5, after.end(), before.begin() + 5)) std::abort();
  }
  net::CWireReader reader(data, size);
  net::MatchTerms terms;
  net::decodeTerms(reader, terms);
  net::CWireWriter written;
  side.writeHistory(written, 7);
  net::CWireReader own(written.bytes), history(data, size);
  if (!net::CLockstep::fromHistory(own, 2, 0, 0)) std::abort();
  net::CLockstep::fromHistory(history, 2, 0, 0);
  return 0;
}
