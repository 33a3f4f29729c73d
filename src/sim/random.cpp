// The two random sources: small integers from the standard rand, and floats
// from the program's own minimal-standard Lehmer generator.
#include "sim/random.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "core/lifetime.h"

namespace {
// A whole number kept as a double, as the generator has always stored it.
double g_generatorState = 0;

// The state as the generator reads it: truncated to an integer and taken in
// 32 bits. Seeds beyond the int range wrap instead of overflowing.
int32_t stateAsInt(double state) {
  if (!(state > -9.2e18 && state < 9.2e18)) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(state)));
}
}  // namespace

int randomInt(int a, int b) {
  const int r = std::rand();
  // An empty range would divide by zero; it gives its lower end instead.
  if (b <= a) return a;
  return a + r % (b - a);
}

int randomIntInclusive(int a, int b) {
  const int r = std::rand();
  if (b < a) return a;
  return a + r % (b - a + 1);
}

double nextUniform() {
  // Schrage's form of s * 16807 mod (2^31 - 1). Worked in 64 bits and then
  // taken in 32, which is what 32-bit wrap-around arithmetic gives, without
  // signed overflow.
  const int64_t s = stateAsInt(g_generatorState);
  const int64_t wide = s * 16807 - INT64_C(2147483647) * (s / 127773);
  int32_t next = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide)));
  if (next <= 0) next = static_cast<int32_t>(static_cast<int64_t>(next) + 2147483647);
  g_generatorState = next;
  return next * 4.656612875e-10;
}

float randomFloat(float a, float b) { return a + (b - a) * static_cast<float>(nextUniform()); }

void seedRandom(unsigned seconds) {
  std::srand(seconds);
  g_generatorState = static_cast<double>(seconds);
}

double generatorState() { return g_generatorState; }

namespace {
// Both generators are seeded from the calendar before the entry runs; the
// entry seeds them again, tests and replays with a seed of their own.
struct StartupSeed {
  StartupSeed() { seedRandom(static_cast<unsigned>(std::time(nullptr))); }
} g_startupSeed VESICOR_LIFETIME(lifetime::kStartupSeed);
}  // namespace
