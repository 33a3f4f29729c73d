// The objects that live for the whole run are defined in the layer that owns
// each, yet built in one fixed order before anything else (and destroyed in
// the reverse order): pictures outlive the sprites that show them, the grid
// outlives the drops and parts stamped into it.
#pragma once

// Lower numbers are built first; all of them before any unnumbered object.
#define VESICOR_LIFETIME(order) __attribute__((init_priority(order)))

namespace lifetime {
constexpr int kImageCache = 1001;
constexpr int kSpriteList = 1002;
constexpr int kParticleList = 1003;
constexpr int kCellGrid = 1004;
constexpr int kPartList = 1005;
constexpr int kStartupSeed = 1006;
constexpr int kDisownedVariants = 1007;
}  // namespace lifetime
