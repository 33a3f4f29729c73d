// One player's input frames of a whole networked match, step by step. A
// newcomer after a rejoin needs every frame since the first step, so none
// is ever dropped; the frames the lockstep is done with are kept packed as
// they travel in a history (a count byte and the inputs), which costs a
// byte for a step without input instead of an empty vector.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "net/player_input.h"
#include "net/wire.h"

namespace net {

class CFrameLog {
 public:
  CFrameLog() = default;
  explicit CFrameLog(std::vector<InputFrame> frames) : recent_(frames.begin(), frames.end()) {}

  uint32_t size() const { return packedCount_ + static_cast<uint32_t>(recent_.size()); }
  // Only frames not packed yet can be looked at.
  bool has(uint32_t step) const { return step >= packedCount_ && step < size(); }
  const InputFrame& at(uint32_t step) const { return recent_.at(step - packedCount_); }
  void push(InputFrame frame) { recent_.push_back(std::move(frame)); }

  // Packs the frames before `step`; they can then only be written out.
  void packBefore(uint32_t step) {
    while (packedCount_ < step && !recent_.empty()) {
      CWireWriter w;
      writeFrame(w, recent_.front());
      packed_.insert(packed_.end(), w.bytes.begin(), w.bytes.end());
      recent_.pop_front();
      ++packedCount_;
    }
  }

  // Every frame, as a history carries them: the count, then each frame.
  void write(CWireWriter& w) const {
    w.u32(size());
    w.bytes.insert(w.bytes.end(), packed_.begin(), packed_.end());
    for (const InputFrame& f : recent_) writeFrame(w, f);
  }

  // What the packed frames hold, for measuring.
  size_t packedBytes() const { return packed_.size(); }

  static void writeFrame(CWireWriter& w, const InputFrame& f) {
    w.u8(static_cast<uint8_t>(f.size()));
    for (const PlayerInput& in : f) writeInput(w, in);
  }

 private:
  // Grows in blocks, never by doubling and copying a long vector.
  std::deque<uint8_t> packed_;
  uint32_t packedCount_ = 0;
  std::deque<InputFrame> recent_;
};

}  // namespace net
