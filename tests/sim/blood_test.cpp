// How blood flows and is collected: the quiet start, borders, falling with
// acceleration, rolling, creeping, settling and sleep, the collectors and
// the clean-up under the spout, and the two random sources.
#include <cstdlib>

#include "sim_fixture.h"

namespace {

using simtest::earnings;
using simtest::SimTest;

TEST_F(SimTest, FirstTenStepsMoveNothingAndTheEleventhWakesEverything) {
  grid().putBlood(100, 50);
  grid().putBlood(30, 1);
  CBloodCell* a = bloodAt(100, 50);
  CBloodCell* b = bloodAt(30, 1);
  for (int i = 0; i < 10; ++i) step(grid(), 255);
  EXPECT_EQ(a->y, 50);
  EXPECT_EQ(b->y, 1);
  step(grid(), 255);  // maintenance: the wake-up pass moves both
  EXPECT_EQ(a->y, 51);
  EXPECT_EQ(b->y, 2);
  // The moves widened the box, so the next sweep moves them on.
  step(grid(), 255);
  EXPECT_EQ(a->y, 52);
}

TEST_F(SimTest, BloodPutOutsideTheActiveBoxWaitsForTheNextMaintenance) {
  grid().putBlood(100, 10);
  for (int i = 0; i < 11; ++i) step(grid(), 255);  // now moving
  grid().putBlood(200, 100);
  CBloodCell* late = bloodAt(200, 100);
  for (int i = 0; i < 10; ++i) step(grid(), 255);
  EXPECT_EQ(late->y, 100);
  step(grid(), 255);
  EXPECT_EQ(late->y, 101);
}

TEST_F(SimTest, CellsOnTheBorderNeverMove) {
  grid().putBlood(20, 0);
  grid().putBlood(100, 210);
  grid().putBlood(0, 100);
  grid().putBlood(255, 100);
  CBloodCell* cells[] = {bloodAt(20, 0), bloodAt(100, 210), bloodAt(0, 100), bloodAt(255, 100)};
  widenActiveBox(0, 0);
  widenActiveBox(255, 210);
  for (int i = 0; i < 60; ++i) step(grid(), 255);
  EXPECT_EQ(grid().at(20, 0), cells[0]);
  EXPECT_EQ(grid().at(100, 210), cells[1]);
  EXPECT_EQ(grid().at(0, 100), cells[2]);
  EXPECT_EQ(grid().at(255, 100), cells[3]);
}

TEST_F(SimTest, FallingBloodAcceleratesOnItsNinthAndTwentyFifthFall) {
  grid().putBlood(128, 1);
  CBloodCell* c = bloodAt(128, 1);
  int lastY = c->y;
  for (int update = 1; update <= 25; ++update) {
    updateOnce(c);
    const int rows = c->y - lastY;
    lastY = c->y;
    const int expected = update < 9 ? 1 : (update < 25 ? 2 : 3);
    EXPECT_EQ(rows, expected) << "update " << update;
    EXPECT_EQ(c->state, 1);
  }
  EXPECT_FLOAT_EQ(c->fall, 25 * 0.125f);
  EXPECT_EQ(grid().at(c->x, c->y), c);
}

TEST_F(SimTest, BlockedBloodRollsDiagonallyRightBeforeLeft) {
  ground(60, 81, 60, 81);
  grid().putBlood(60, 80);
  CBloodCell* c = bloodAt(60, 80);
  updateOnce(c);
  EXPECT_EQ(c->x, 61);
  EXPECT_EQ(c->y, 81);

  ground(70, 81, 71, 81);
  grid().putBlood(70, 80);
  CBloodCell* d = bloodAt(70, 80);
  updateOnce(d);
  EXPECT_EQ(d->x, 69);
  EXPECT_EQ(d->y, 81);
  EXPECT_EQ(d->state, 1);
}

TEST_F(SimTest, CreepsTowardsTheOpenSideNineUpdatesInTen) {
  // Ground below and on both lower diagonals, a wall on the left that
  // follows the cell, free space on the right.
  ground(40, 121, 200, 121);
  ground(49, 120, 49, 120);
  grid().putBlood(50, 120);
  CBloodCell* c = bloodAt(50, 120);
  const float expectedSlide[] = {0.9f, 0.8f, 0.7f};
  int moves = 0;
  for (int i = 0; i < 40; ++i) {
    const int before = c->x;
    updateOnce(c);
    moves += c->x != before;
    if (i < 3) {
      EXPECT_NEAR(c->slide, expectedSlide[i], 1e-5) << "update " << i + 1;
    }
    EXPECT_EQ(c->state, 2);
    EXPECT_EQ(c->y, 120);
    ground(c->x - 1, 120, c->x - 1, 120);
  }
  // The tenths do not add up exactly in floats, so the pause comes a little
  // later now and then: nine moves in ten updates on the whole.
  EXPECT_GE(moves, 35);
  EXPECT_LE(moves, 36);
  EXPECT_EQ(c->x, 50 + moves);

  // With nothing on either side it waits where it is.
  grid().putBlood(150, 120);
  CBloodCell* free = bloodAt(150, 120);
  updateOnce(free);
  EXPECT_EQ(free->x, 150);
  EXPECT_FLOAT_EQ(free->slide, 0);

  // The mirror case creeps left.
  ground(180, 120, 180, 120);
  grid().putBlood(179, 120);
  CBloodCell* m = bloodAt(179, 120);
  updateOnce(m);
  EXPECT_NEAR(m->slide, -0.9f, 1e-6);
  EXPECT_EQ(m->x, 179);
  updateOnce(m);
  EXPECT_EQ(m->x, 178);
  EXPECT_NEAR(m->slide, -0.8f, 1e-5);
}

TEST_F(SimTest, SettledBloodFallsAsleepOnItsFiftySecondUpdateAfterSettling) {
  ground(9, 11, 11, 11);
  ground(9, 10, 9, 10);
  ground(11, 10, 11, 10);
  grid().putBlood(10, 10);
  CBloodCell* c = bloodAt(10, 10);
  updateOnce(c);
  EXPECT_EQ(c->state, 3);
  for (int after = 1; after <= 51; ++after) {
    updateOnce(c);
    EXPECT_FALSE(c->asleep) << after;
  }
  updateOnce(c);
  EXPECT_TRUE(c->asleep);
  EXPECT_EQ(c->settledCount, 52);  // that update still ran to its end

  // Asleep it is skipped by ordinary updates, not by forced ones.
  updateOnce(c);
  EXPECT_EQ(c->settledCount, 52);
  updateOnce(c, true);
  EXPECT_EQ(c->settledCount, 53);

  // Any move wakes it.
  delete grid().at(10, 11);
  grid().at(10, 11) = nullptr;
  updateOnce(c, true);
  EXPECT_EQ(c->y, 11);
  EXPECT_FALSE(c->asleep);
}

TEST_F(SimTest, ACellIsUpdatedOnceInATickEvenAfterMovingAhead) {
  ground(40, 101, 60, 101);
  ground(44, 100, 44, 100);
  grid().putBlood(45, 100);
  CBloodCell* c = bloodAt(45, 100);
  c->slide = 0.5f;
  updateOnce(c);
  EXPECT_EQ(c->x, 46);
  c->update(false);  // same tick: nothing
  EXPECT_EQ(c->x, 46);
  EXPECT_NEAR(c->slide, 0.4f, 1e-6);
}

class Collectors : public SimTest {
 protected:
  // Packs rows 139 ... 151 around both collectors with blood walled in by
  // ground, so nothing can move, and puts a few ground cells inside.
  void fill() {
    ground(0, 152, 255, 152);
    for (int x : {37, 54, 201, 218}) ground(x, 139, x, 151);
    for (int y = 139; y <= 151; ++y) {
      for (int x = 38; x <= 53; ++x) grid().putBlood(x, y);
      for (int x = 202; x <= 217; ++x) grid().putBlood(x, y);
    }
    replaceWithGround(45, 145);
    replaceWithGround(210, 141);
    replaceWithGround(214, 150);
  }
  void replaceWithGround(int x, int y) {
    delete grid().at(x, y);
    grid().at(x, y) = new CGroundCell(9);
  }
  void runMaintenance() {
    for (int i = 0; i < 11; ++i) step(grid(), 255);
  }
};

TEST_F(Collectors, TakeTheBloodInTheirSquaresAndPayTheirPlayer) {
  fill();
  const int before = countBlood();
  runMaintenance();
  int p1 = 0, p2 = 0;
  for (const auto& e : earnings()) {
    EXPECT_EQ(e.second, 1);
    (e.first == 1 ? p1 : p2) += 1;
  }
  EXPECT_EQ(p1, 99);
  EXPECT_EQ(p2, 98);
  EXPECT_EQ(countBlood(), before - 197);
  EXPECT_EQ(bloodStats().collected[0], 99u);
  EXPECT_EQ(bloodStats().collected[1], 98u);

  for (int y = 141; y <= 150; ++y)
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ(bloodAt(41 + k, y), nullptr);
      EXPECT_EQ(bloodAt(205 + k, y), nullptr);
    }
  EXPECT_EQ(grid().at(45, 145)->getType(), 1);
  EXPECT_EQ(grid().at(214, 150)->getType(), 1);
  // Just outside the squares the blood stays.
  for (int y = 141; y <= 150; ++y) {
    EXPECT_NE(bloodAt(40, y), nullptr);
    EXPECT_NE(bloodAt(51, y), nullptr);
    EXPECT_NE(bloodAt(204, y), nullptr);
    EXPECT_NE(bloodAt(215, y), nullptr);
  }
  for (int x = 41; x <= 50; ++x) {
    EXPECT_NE(bloodAt(x, 140), nullptr);
    EXPECT_NE(bloodAt(x, 151), nullptr);
  }
}

TEST_F(Collectors, WithoutAReceiverBloodIsStillTakenButNothingPaid) {
  setEarnReceiver(nullptr);
  fill();
  runMaintenance();
  EXPECT_TRUE(earnings().empty());
  EXPECT_EQ(bloodAt(42, 142), nullptr);
}

TEST_F(Collectors, OnlyEveryEleventhStepCollects) {
  fill();
  for (int i = 0; i < 10; ++i) step(grid(), 255);
  EXPECT_TRUE(earnings().empty());
  step(grid(), 255);
  EXPECT_EQ(earnings().size(), 197u);
  // The blood above the squares runs into them, and waits for step 22.
  for (int i = 0; i < 10; ++i) step(grid(), 255);
  EXPECT_EQ(earnings().size(), 197u);
  step(grid(), 255);
  EXPECT_GT(earnings().size(), 197u);
}

TEST_F(SimTest, BloodUnderTheSpoutIsCleanedWithoutEarning) {
  for (int x = 85; x <= 165; ++x) grid().putBlood(x, 0);
  for (int i = 0; i < 11; ++i) step(grid(), 255);
  for (int x = 85; x <= 165; ++x) {
    const bool cleaned = x >= 90 && x <= 159;
    EXPECT_EQ(bloodAt(x, 0) == nullptr, cleaned) << x;
  }
  EXPECT_TRUE(earnings().empty());
  EXPECT_EQ(bloodStats().cleanedTop, 70u);
}

TEST(RandomSources, ProgramGeneratorIsTheMinimalStandardLehmerGenerator) {
  seedRandom(1);
  EXPECT_DOUBLE_EQ(nextUniform(), 16807 * 4.656612875e-10);
  EXPECT_EQ(generatorState(), 16807.0);
  EXPECT_EQ((nextUniform(), generatorState()), 282475249.0);
  EXPECT_EQ((nextUniform(), generatorState()), 1622650073.0);
  seedRandom(1);
  for (int i = 0; i < 10000; ++i) nextUniform();
  // The published check value of the minimal standard generator.
  EXPECT_EQ(generatorState(), 1043618065.0);
}

TEST(RandomSources, StaysInsideItsRangeForSeedsBeyondTheIntRange) {
  for (unsigned seed : {0x7FFFFFFEu, 0x80000000u, 0xFFFFFFFFu, 123456789u}) {
    seedRandom(seed);
    for (int i = 0; i < 1000; ++i) {
      const double u = nextUniform();
      ASSERT_GT(u, 0.0);
      ASSERT_LT(u, 1.0);
    }
  }
}

TEST(RandomSources, TheTwoSourcesAreIndependent) {
  seedRandom(777);
  std::vector<double> plain;
  for (int i = 0; i < 50; ++i) plain.push_back(nextUniform());
  seedRandom(777);
  for (int i = 0; i < 50; ++i) {
    std::rand();
    randomInt(0, 10);
    EXPECT_EQ(nextUniform(), plain[i]);
  }

  seedRandom(777);
  std::vector<int> rands;
  for (int i = 0; i < 50; ++i) rands.push_back(std::rand());
  seedRandom(777);
  for (int i = 0; i < 50; ++i) {
    randomFloat(-1, 1);
    EXPECT_EQ(std::rand(), rands[i]);
  }
}

TEST(RandomSources, HelpersStayInTheirRanges) {
  seedRandom(99);
  bool sawLow = false, sawHigh = false;
  for (int i = 0; i < 2000; ++i) {
    const int a = randomInt(-1, 1);
    ASSERT_TRUE(a == -1 || a == 0);
    const int b = randomIntInclusive(-1, 1);
    ASSERT_TRUE(b >= -1 && b <= 1);
    sawLow |= b == -1;
    sawHigh |= b == 1;
    const int c = randomInt(2, 7);
    ASSERT_TRUE(c >= 2 && c <= 6);
    const float f = randomFloat(-1.5f, -0.5f);
    ASSERT_GE(f, -1.5f);
    ASSERT_LE(f, -0.5f);
  }
  EXPECT_TRUE(sawLow && sawHigh);
  // An empty range gives its lower end instead of dividing by zero.
  EXPECT_EQ(randomInt(5, 5), 5);
}

}  // namespace
