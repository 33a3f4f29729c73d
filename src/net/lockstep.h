// Deterministic lockstep between two machines: every simulation step runs
// only once both players' inputs for it are known. Each side schedules its
// own inputs a few steps ahead (an input delay that follows the measured
// round trip), sends them redundantly until acknowledged so a lost packet
// costs nothing, and compares a hash of the world once a second.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "net/frame_log.h"
#include "net/player_input.h"
#include "net/wire.h"

namespace net {

class CLockstep {
 public:
  static constexpr int kMinDelay = 2;
  static constexpr int kMaxDelay = 8;
  static constexpr uint32_t kStepMs = 16;
  // About a second of steps between two world hashes.
  static constexpr uint32_t kHashEverySteps = 62;

  // `localPlayer` is 1 or 2; `now` is the clock the round trip is measured
  // on. A round trip known from the connection (0: none) sets the first
  // delay, so the first steps need not wait for a measurement.
  CLockstep(int localPlayer, uint32_t now, uint32_t knownRoundTrip = 0);

  int localPlayer() const { return local_; }
  int remotePlayer() const { return 3 - local_; }

  // What the local player did since the last step ran; it goes into the
  // next local frame, in whole pixels and as the local player's.
  void addLocalInput(const PlayerInput& input);

  // The step that runs next (0 for the first), and whether both inputs are
  // known for it.
  uint32_t nextStep() const { return next_; }
  bool stepReady() const;
  // Both players' inputs of the step that is ready to run.
  const InputFrame& inputs(int player, uint32_t step) const;
  // After the step ran: moves on and schedules the local inputs gathered
  // so far for the step the delay says.
  void finishStep();

  // Once per kHashEverySteps steps, after the step that ends the period:
  // the world's hash after `nextStep()` steps. Returns the step of the first
  // mismatch with the other side once both hashes of it are known.
  bool hashDue() const { return next_ > 0 && next_ % kHashEverySteps == 0 && localHashes_.size() < next_ / kHashEverySteps; }
  void recordHash(uint64_t hash);
  std::optional<uint32_t> mismatchStep() const { return mismatch_; }
  // This side's hash after `step` steps (a multiple of kHashEverySteps), if recorded.
  std::optional<uint64_t> localHash(uint32_t step) const {
    if (step == 0 || step % kHashEverySteps != 0 || step / kHashEverySteps > localHashes_.size()) return {};
    return localHashes_[step / kHashEverySteps - 1];
  }

  // One packet with everything the other side has not acknowledged yet.
  Bytes makePacket(uint32_t now);
  // False (and nothing changed) for a packet that does not read.
  bool readPacket(const uint8_t* data, size_t size, uint32_t now);

  // A side that left or went silent may come back as a new process: the
  // side that stayed gives it both players' inputs and its own hashes, and
  // the world's hash after the steps it ran, so the newcomer can rebuild
  // the world by running the same steps.
  void writeHistory(CWireWriter& w, uint64_t worldHash) const;
  // The staying side goes on with the newcomer, which holds all it was given.
  void resumeWithNewPeer(uint32_t now);
  // The newcomer's lockstep: at step 0 with the history, null for a
  // history that does not read.
  static std::unique_ptr<CLockstep> fromHistory(CWireReader& r, int localPlayer, uint32_t now, uint32_t knownRoundTrip);
  // The newcomer runs the steps before this one at once; afterwards its
  // world must hash as the staying side's did, or the match is out of step.
  bool rebuilding() const { return next_ < rebuildTo_; }
  void rebuilt(uint64_t worldHash) {
    if (worldHash != rebuildHash_ && !mismatch_) mismatch_ = rebuildTo_;
  }

  // When the other side was last heard from (start-up counts as heard).
  uint32_t lastHeard() const { return lastHeard_; }
  int delay() const { return delay_; }
  // Smoothed round trip in ms; 0 before the first measurement.
  int roundTrip() const { return static_cast<int>(srtt_); }

  // Stall accounting: a step was due but its inputs were missing, and the
  // moment it could run again.
  void noteBlocked(uint32_t now);
  void noteUnblocked(uint32_t now);
  uint32_t stallMs() const { return stallMs_; }
  // How long the step now due has waited (0 when the last one ran).
  uint32_t blockedFor(uint32_t now) const { return blocked_ ? now - blockedSince_ : 0; }
  uint32_t hashesCompared() const { return compared_; }
  // How many of this side's hashes the other side has.
  uint32_t peerHasHashes() const { return peerHasHashes_; }
  size_t localHashCount() const { return localHashes_.size(); }
  // Bytes held for the frames already run, kept for a newcomer.
  size_t packedBytes() const { return localFrames_.packedBytes() + remoteFrames_.packedBytes(); }

 private:
  void fillLocal(bool withPending);
  int targetDelay() const;
  void measure(uint32_t sample);
  void compareHashes();

  int local_;
  uint32_t next_ = 0;
  int delay_ = kMinDelay;
  int lowSteps_ = 0;  // steps in a row the round trip asked for less delay
  CFrameLog localFrames_, remoteFrames_;
  InputFrame pending_;
  uint32_t peerHasFrames_ = 0;  // how many of ours the peer acknowledged
  std::vector<uint64_t> localHashes_, remoteHashes_;
  uint32_t peerHasHashes_ = 0;
  uint32_t compared_ = 0;
  std::optional<uint32_t> mismatch_;
  uint32_t rebuildTo_ = 0;
  uint64_t rebuildHash_ = 0;

  uint32_t sent_ = 0;           // packets sent, numbering them
  uint32_t latestPeerSeq_ = 0;  // newest packet of the peer, to echo its time
  bool haveEcho_ = false;
  uint32_t echoTime_ = 0, echoReceivedAt_ = 0;
  float srtt_ = 0, rttVar_ = 0;
  bool measured_ = false;  // a round trip is known
  bool sampled_ = false;   // ... from this side's own packets

  uint32_t lastHeard_;
  bool blocked_ = false;
  uint32_t blockedSince_ = 0;
  uint32_t stallMs_ = 0;
};

}  // namespace net
