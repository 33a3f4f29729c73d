// Blood drops as a player sees them: rising from the spout and falling back,
// flying through blood, landing, splashing, and leaving the board.
#include <cmath>

#include "render/sprite.h"
#include "sim_fixture.h"

namespace {

using simtest::SimTest;

class Drops : public SimTest {
 protected:
  CParticle* drop(float x, float y, float vx, float vy, bool makesBlood = true) {
    spawnSplash(&grid(), 0, 0, {vx, vy}, makesBlood);
    CParticle* p = particleList().back();
    p->x = x;
    p->y = y;
    return p;
  }
  int countDrops() { return static_cast<int>(particleList().size()); }
};

TEST_F(Drops, SpoutDropRisesThenComesBackIntoTheGrid) {
  spawnDrop(&grid(), 121, 0, {0, -1}, false);
  CParticle* p = particleList().back();
  EXPECT_FALSE(p->submerged);
  EXPECT_TRUE(p->makesBlood);
  ASSERT_NE(p->sprite, nullptr);
  EXPECT_EQ(p->sprite->layer, 100);
  stepParticles();
  EXPECT_FLOAT_EQ(p->y, -1);
  EXPECT_FLOAT_EQ(p->vy, -1 + 0.325f);
  int steps = 1;
  while (p->y < 0 && steps < 20) {
    stepParticles();
    ++steps;
  }
  EXPECT_GE(p->y, 0);
  EXPECT_LT(steps, 10);
  EXPECT_FLOAT_EQ(p->x, 121);
}

TEST_F(Drops, SpawnedInsideBloodFliesSubmergedAtHalfRate) {
  for (int y = 5; y <= 30; ++y) grid().putBlood(121, y);
  spawnDrop(&grid(), 121, 10, {0, 1}, false);
  CParticle* p = particleList().back();
  EXPECT_TRUE(p->submerged);
  stepParticles();  // n = 0.325: one sub-step, gravity at 0.25
  EXPECT_FLOAT_EQ(p->y, 11);
  EXPECT_TRUE(p->submerged);
  EXPECT_FLOAT_EQ(p->vy, 1.125f);
  // Leaving the blood ends the submerged flight, and full gravity returns.
  for (int i = 0; i < 40 && p->submerged; ++i) stepParticles();
  EXPECT_FALSE(p->submerged);
  EXPECT_GT(p->y, 30);
}

TEST_F(Drops, FallingBloodIsPassedThroughAndSettledBloodStopsTheDrop) {
  grid().putBlood(60, 20);  // falling: no obstacle
  CParticle* through = drop(60, 18.5f, 0, 1, false);
  stepParticles();
  EXPECT_FALSE(through->dead);
  EXPECT_FLOAT_EQ(through->y, 19.5f);
  stepParticles();
  EXPECT_EQ(countDrops(), 1);

  bloodAt(60, 20)->state = 3;
  drop(60, 18.5f, 0, 1, false);
  stepParticles();
  stepParticles();
  EXPECT_EQ(countDrops(), 1);  // the second drop vanished on the settled cell
}

TEST_F(Drops, SplashDropVanishesOnSolidWithItsVelocityUntouched) {
  ground(80, 41, 80, 41);
  CParticle* p = drop(80.5f, 40.0f, 0, 1.5f, false);
  p->update();
  EXPECT_TRUE(p->dead);
  EXPECT_FLOAT_EQ(p->vy, 1.5f);
  EXPECT_EQ(countBlood(), 0);
}

TEST_F(Drops, LandingMakesOneBloodCellAndTwoToSixSplashes) {
  ground(0, 150, 255, 150);
  spawnDrop(&grid(), 121, 140, {0, 1}, false);
  int before = 0;
  for (int i = 0; i < 20 && countBlood() == 0; ++i) {
    before = countDrops();
    stepParticles();
  }
  ASSERT_EQ(countBlood(), 1);
  EXPECT_NE(bloodAt(121, 149), nullptr);
  const int splashes = countDrops() - (before - 1);
  EXPECT_GE(splashes, 2);
  EXPECT_LE(splashes, 6);
  for (CParticle* s : particleList()) {
    EXPECT_FALSE(s->makesBlood);
    EXPECT_LT(s->y, 150);  // back the way the drop came
  }
  // Splashes make no blood when they land.
  for (int i = 0; i < 200; ++i) stepParticles();
  EXPECT_EQ(countBlood(), 1);
  EXPECT_EQ(countDrops(), 0);
}

TEST_F(Drops, AreDiscardedOnlyFarOutsideTheGrid) {
  CParticle* right = drop(766.5f, 100, 1, 0);
  CParticle* left = drop(-511.0f, 100, -1, 0);
  CParticle* bottom = drop(100, 721.8f, 0, 1);
  stepParticles();
  ASSERT_EQ(countDrops(), 3);
  EXPECT_FLOAT_EQ(right->x, 767.5f);
  EXPECT_FLOAT_EQ(left->x, -512.0f);
  EXPECT_NEAR(bottom->y, 722.8f, 1e-4);
  stepParticles();
  EXPECT_EQ(countDrops(), 0);
}

TEST_F(Drops, DeadDropsAreSwappedOutInOnePass) {
  CParticle* a = drop(10, -100, 0, 0);
  CParticle* b = drop(767.5f, -100, 1, 0);  // dies this step
  CParticle* c = drop(20, -100, 0, 0);
  CParticle* d = drop(30, -100, 0, 0);
  stepParticles();
  ASSERT_EQ(countDrops(), 3);
  EXPECT_EQ(particleList()[0], a);
  EXPECT_EQ(particleList()[1], d);
  EXPECT_EQ(particleList()[2], c);
  (void)b;
  // The swapped-in drop was still updated once in that pass.
  EXPECT_FLOAT_EQ(d->vy, 0.325f);
  EXPECT_FLOAT_EQ(c->vy, 0.325f);
}

TEST_F(Drops, SpritesAreCentredOnTheirDrop) {
  CParticle* p = drop(40, 50, 0, 0);
  p->sprite->width = 4;
  p->sprite->height = 6;
  p->sprite->scaleX = 2;
  stepParticles();
  const Vec2 s = gridToScreen({p->x, p->y});
  EXPECT_FLOAT_EQ(p->sprite->x, s.x - 4);
  EXPECT_FLOAT_EQ(p->sprite->y, s.y - 3);
}

TEST_F(Drops, ImpactWithNoRoomNearbyClimbsOneTimeInFive) {
  // Rows 57 ... 62 are full; the ten backward tries stay inside them, and
  // only the climb reaches the free rows above.
  int placed = 0;
  const int trials = 500;
  for (int t = 0; t < trials; ++t) {
    resetSimulation();
    seedRandom(1000 + t);
    ground(0, 57, 255, 62);
    impact(&grid(), 128, 60, {1, 0});
    const int splashes = countDrops();
    ASSERT_GE(splashes, 2);
    ASSERT_LE(splashes, 6);
    const int blood = countBlood();
    ASSERT_LE(blood, 1);
    if (blood == 1) {
      ++placed;
      bool climbed = false;
      for (int x = 0; x < 256; ++x) {
        if (!bloodAt(x, 56)) continue;
        climbed = true;
        EXPECT_NEAR(x, 128, 5);
      }
      EXPECT_TRUE(climbed);
    }
  }
  EXPECT_GT(placed, trials / 5 - trials / 20);
  EXPECT_LT(placed, trials / 5 + trials / 20);
}

TEST_F(Drops, ImpactOnAFreeCellFillsIt) {
  impact(&grid(), 70, 70, {0, 1});
  EXPECT_NE(bloodAt(70, 70), nullptr);
  EXPECT_GE(countDrops(), 2);
}

TEST_F(Drops, ImpactSearchesBackAlongTheFlight) {
  ground(0, 80, 255, 90);
  impact(&grid(), 100, 85, {0, 1});
  ASSERT_EQ(countBlood(), 1);
  // Back up the flight: just above the ground, near the column of impact.
  bool found = false;
  for (int y = 74; y < 80; ++y)
    for (int x = 97; x <= 103; ++x) found |= bloodAt(x, y) != nullptr;
  EXPECT_TRUE(found);
}

}  // namespace
