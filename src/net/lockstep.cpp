// The lockstep schedule, its packets, the round trip and the hash check;
// see lockstep.h.
#include "net/lockstep.h"

#include <algorithm>
#include <cmath>

namespace net {

namespace {

constexpr uint8_t kStepPacket = 0x51;
// Room for the other side's packet header in one unfragmented datagram.
constexpr size_t kPacketBudget = 1100;
constexpr size_t kMaxInputsPerFrame = 255;
constexpr size_t kMaxHashesPerPacket = 8;
// The measured round trip already holds the frames' phases; on top of half
// of it, one lost packet (the next frame's carries its inputs) and a little
// jitter.
constexpr float kSendSlackMs = 20;

}  // namespace

CLockstep::CLockstep(int localPlayer, uint32_t now, uint32_t knownRoundTrip) : local_(localPlayer), lastHeard_(now) {
  if (knownRoundTrip > 0) {
    // The packets' own measure adds the frames' phase to the link's.
    srtt_ = static_cast<float>(knownRoundTrip + kStepMs);
    measured_ = true;
    delay_ = targetDelay();
  }
  // The first steps have no inputs of anyone: each side begins with empty
  // frames for as many steps as its delay.
  for (int i = 0; i < delay_; ++i) localFrames_.push({});
}

int CLockstep::targetDelay() const {
  int target = kMinDelay;
  if (measured_) {
    const float lead = srtt_ / 2 + 2 * rttVar_ + kSendSlackMs;
    target = static_cast<int>(std::ceil(lead / static_cast<float>(kStepMs)));
  }
  return std::clamp(target, kMinDelay, kMaxDelay);
}

void CLockstep::addLocalInput(const PlayerInput& input) {
  PlayerInput in = onWire(input);
  in.player = local_;
  pending_.push_back(in);
}

bool CLockstep::stepReady() const { return next_ < localFrames_.size() && next_ < remoteFrames_.size(); }

const InputFrame& CLockstep::inputs(int player, uint32_t step) const {
  return player == local_ ? localFrames_.at(step) : remoteFrames_.at(step);
}

void CLockstep::fillLocal(bool withPending) {
  InputFrame frame;
  if (withPending) {
    const size_t n = std::min(pending_.size(), kMaxInputsPerFrame);
    frame.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
  }
  localFrames_.push(std::move(frame));
}

void CLockstep::finishStep() {
  ++next_;
  const int target = targetDelay();
  // More delay at once (a stall costs more than a little lag); less only
  // after a second of asking for it, so a jittery link does not see-saw.
  if (target > delay_) {
    ++delay_;
    lowSteps_ = 0;
  } else if (target < delay_ && ++lowSteps_ >= static_cast<int>(kHashEverySteps)) {
    --delay_;
    lowSteps_ = 0;
  } else if (target == delay_) {
    lowSteps_ = 0;
  }
  // A longer delay adds an empty frame; a shorter one leaves this step's
  // inputs for the next frame, so the frames stay one per step.
  const size_t want = next_ + static_cast<size_t>(delay_);
  bool first = true;
  while (localFrames_.size() < want) {
    fillLocal(first);
    first = false;
  }
  // Run, and (ours) in the other side's hands: wanted again only by a
  // newcomer.
  localFrames_.packBefore(std::min(next_, peerHasFrames_));
  remoteFrames_.packBefore(next_);
}

void CLockstep::recordHash(uint64_t hash) {
  localHashes_.push_back(hash);
  compareHashes();
}

void CLockstep::compareHashes() {
  while (compared_ < localHashes_.size() && compared_ < remoteHashes_.size()) {
    if (!mismatch_ && localHashes_[compared_] != remoteHashes_[compared_]) {
      mismatch_ = (compared_ + 1) * kHashEverySteps;
    }
    ++compared_;
  }
}

Bytes CLockstep::makePacket(uint32_t now) {
  CWireWriter w;
  w.u8(kStepPacket);
  w.u32(++sent_);
  w.u32(now);
  w.u8(haveEcho_ ? 1 : 0);
  w.u32(echoTime_);
  w.u16(static_cast<uint16_t>(std::min<uint32_t>(now - echoReceivedAt_, 0xffff)));
  w.u32(remoteFrames_.size());
  w.u32(static_cast<uint32_t>(remoteHashes_.size()));

  const uint32_t firstHash = peerHasHashes_;
  const size_t hashCount = std::min(localHashes_.size() - std::min<size_t>(firstHash, localHashes_.size()), kMaxHashesPerPacket);
  w.u32(firstHash);
  w.u8(static_cast<uint8_t>(hashCount));
  for (size_t i = 0; i < hashCount; ++i) w.u64(localHashes_[firstHash + i]);

  // As many unacknowledged frames as fit, oldest first: the peer needs
  // them in order.
  const uint32_t firstFrame = std::min<uint32_t>(peerHasFrames_, static_cast<uint32_t>(localFrames_.size()));
  w.u32(firstFrame);
  const size_t countAt = w.bytes.size();
  w.u8(0);
  uint8_t count = 0;
  for (size_t s = firstFrame; s < localFrames_.size() && count < 255; ++s) {
    const InputFrame& f = localFrames_.at(static_cast<uint32_t>(s));
    if (count > 0 && w.bytes.size() + 1 + f.size() * kInputWireBytes > kPacketBudget) break;
    w.u8(static_cast<uint8_t>(f.size()));
    for (const PlayerInput& in : f) writeInput(w, in);
    ++count;
  }
  w.bytes[countAt] = count;
  return std::move(w.bytes);
}

bool CLockstep::readPacket(const uint8_t* data, size_t size, uint32_t now) {
  CWireReader r(data, size);
  if (r.u8() != kStepPacket) return false;
  const uint32_t seq = r.u32();
  const uint32_t sendTime = r.u32();
  const bool hasEcho = r.u8() != 0;
  const uint32_t echoTime = r.u32();
  const uint32_t echoHold = r.u16();
  const uint32_t framesAck = r.u32();
  const uint32_t hashesAck = r.u32();
  const uint32_t firstHash = r.u32();
  std::vector<uint64_t> hashes(r.u8());
  for (uint64_t& h : hashes) h = r.u64();
  const uint32_t firstFrame = r.u32();
  std::vector<InputFrame> frames(r.u8());
  for (InputFrame& f : frames) {
    f.resize(r.u8());
    for (PlayerInput& in : f) {
      if (!readInput(r, in)) return false;
    }
  }
  // Acknowledgements of what was never sent mean a packet from elsewhere.
  if (!r.ok() || !r.atEnd() || framesAck > localFrames_.size() || hashesAck > localHashes_.size()) return false;

  lastHeard_ = now;
  peerHasFrames_ = std::max(peerHasFrames_, framesAck);
  peerHasHashes_ = std::max(peerHasHashes_, hashesAck);
  if (!haveEcho_ || static_cast<int32_t>(seq - latestPeerSeq_) > 0) {
    latestPeerSeq_ = seq;
    echoTime_ = sendTime;
    echoReceivedAt_ = now;
    haveEcho_ = true;
    if (hasEcho && now - echoTime >= echoHold) measure(now - echoTime - echoHold);
  }
  for (size_t i = 0; i < hashes.size(); ++i) {
    if (firstHash + i == remoteHashes_.size()) remoteHashes_.push_back(hashes[i]);
  }
  for (size_t i = 0; i < frames.size(); ++i) {
    if (firstFrame + i == remoteFrames_.size()) remoteFrames_.push(std::move(frames[i]));
  }
  compareHashes();
  return true;
}

void CLockstep::measure(uint32_t sample) {
  const float s = static_cast<float>(sample);
  if (!measured_) sampled_ = true;
  if (!measured_) {
    srtt_ = s;
    rttVar_ = s / 2;
    measured_ = true;
    return;
  }
  if (!sampled_) {
    // The connection's figure was a guess at the phase; the first real
    // sample replaces it.
    sampled_ = true;
    srtt_ = s;
    return;
  }
  rttVar_ = 0.75f * rttVar_ + 0.25f * std::fabs(srtt_ - s);
  srtt_ = 0.875f * srtt_ + 0.125f * s;
}

void CLockstep::writeHistory(CWireWriter& w, uint64_t worldHash) const {
  w.u32(next_);
  w.u64(worldHash);
  for (int player = 1; player <= 2; ++player) (player == local_ ? localFrames_ : remoteFrames_).write(w);
  w.u32(static_cast<uint32_t>(localHashes_.size()));
  for (uint64_t h : localHashes_) w.u64(h);
  // The old peer's hashes past the compared ones may come from steps this
  // side never had the inputs of; the newcomer sends its own for those.
  w.u32(compared_);
}

void CLockstep::resumeWithNewPeer(uint32_t now) {
  remoteHashes_.resize(compared_);
  peerHasFrames_ = localFrames_.size();
  peerHasHashes_ = static_cast<uint32_t>(localHashes_.size());
  haveEcho_ = false;
  latestPeerSeq_ = 0;
  lastHeard_ = now;
  // The wait was no stall of the lockstep.
  blocked_ = false;
}

std::unique_ptr<CLockstep> CLockstep::fromHistory(CWireReader& r, int localPlayer, uint32_t now,
                                                  uint32_t knownRoundTrip) {
  auto ls = std::make_unique<CLockstep>(localPlayer, now, knownRoundTrip);
  ls->rebuildTo_ = r.u32();
  ls->rebuildHash_ = r.u64();
  std::vector<InputFrame> frames[2];
  for (int player = 1; player <= 2; ++player) {
    const uint32_t count = r.u32();
    // Each frame takes at least a byte: a count past what is left is damage.
    if (!r.ok() || count > r.left()) return nullptr;
    frames[player - 1].resize(count);
    for (InputFrame& f : frames[player - 1]) {
      f.resize(r.u8());
      for (PlayerInput& in : f) {
        if (!readInput(r, in) || in.player != player) return nullptr;
      }
    }
  }
  const uint32_t hashCount = r.u32();
  if (!r.ok() || hashCount > r.left() / 8) return nullptr;
  ls->remoteHashes_.resize(hashCount);
  for (uint64_t& h : ls->remoteHashes_) h = r.u64();
  ls->peerHasHashes_ = r.u32();
  const size_t steps = ls->rebuildTo_;
  if (!r.ok() || !r.atEnd() || steps > frames[0].size() || steps > frames[1].size() ||
      ls->peerHasHashes_ > steps / kHashEverySteps) {
    return nullptr;
  }
  ls->localFrames_ = CFrameLog(std::move(frames[localPlayer - 1]));
  ls->remoteFrames_ = CFrameLog(std::move(frames[2 - localPlayer]));
  ls->peerHasFrames_ = ls->localFrames_.size();
  while (ls->localFrames_.size() < static_cast<size_t>(ls->delay_)) ls->localFrames_.push({});
  return ls;
}

void CLockstep::noteBlocked(uint32_t now) {
  if (blocked_) return;
  blocked_ = true;
  blockedSince_ = now;
}

void CLockstep::noteUnblocked(uint32_t now) {
  if (!blocked_) return;
  blocked_ = false;
  stallMs_ += now - blockedSince_;
}

}  // namespace net
