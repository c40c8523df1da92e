#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <optional>

#include "agent/LibWMPCustom.h"
#include "agent/cMixer.h"
#include "tests/support/FakeAudioMixers.h"

namespace {

constexpr qint64 kLargest = std::numeric_limits<qint64>::max();
constexpr qint64 kSmallest = std::numeric_limits<qint64>::min();

// Turns a floating division by zero or an invalid operation (0/0) into SIGFPE while it lives,
// so that a percent computed by dividing by an empty range crashes the test instead of passing
// by luck.
class FloatingPointTraps {
 public:
  FloatingPointTraps() {
    std::feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(kTrapped);
  }
  ~FloatingPointTraps() {
    fedisableexcept(kTrapped);
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  FloatingPointTraps(const FloatingPointTraps&) = delete;
  FloatingPointTraps& operator=(const FloatingPointTraps&) = delete;

 private:
  static constexpr int kTrapped = FE_DIVBYZERO | FE_INVALID;
};

struct WriteCase {
  const char* name;
  AudioMixer::Range range;
  qint64 before;
  qint32 percent;
  std::optional<qint64> written;
  qint32 readBack;
};

TEST(MasterVolume, WritesThePercentOfTheRangeAndReadsItBack) {
  const WriteCase cases[] = {
      {"50 % of 0..65535 is 32767.5, to even", {0, 65535}, 0, 50, 32768, 50},
      {"37 % of 0..65536 is 24248.32", {0, 65536}, 0, 37, 24248, 37},
      {"0 % is the minimum", {0, 65535}, 30000, 0, 0, 0},
      {"100 % is the maximum", {0, 65535}, 0, 100, 65535, 100},
      {"a half below an even number goes down", {0, 1}, 1, 50, 0, 0},
      {"a half below an odd number goes up", {0, 3}, 0, 50, 2, 67},
      {"a range below zero", {-10000, 0}, 0, 50, -5000, 50},
      {"a range wholly negative", {-6000, -1000}, -1000, 37, -4150, 37},
      {"a negative half goes to the even zero", {-1, 0}, -1, 50, 0, 100},
      {"101 writes nothing", {0, 65535}, 16384, 101, std::nullopt, 25},
      {"-1 writes nothing", {0, 65535}, 16384, -1, std::nullopt, 25},
      {"an empty range writes its one value and reads 0", {7, 7}, 7, 50, 7, 0},
      {"the widest range reaches its top", {kSmallest, kLargest}, 0, 100, kLargest, 100},
      {"the widest range reaches its bottom", {kSmallest, kLargest}, 0, 0, kSmallest, 0},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAudioMixers card;
    card.range = c.range;
    card.raw = c.before;
    LibWMPCustom volume(card);
    qint32 read = -1;
    {
      const FloatingPointTraps traps;
      volume.SetMasterVolume(c.percent);
      read = volume.GetMasterVolume();
    }
    if (c.written) {
      EXPECT_EQ(card.writes, QList<qint64>{*c.written});
    } else {
      EXPECT_TRUE(card.writes.isEmpty());
    }
    EXPECT_EQ(read, c.readBack);
  }
}

struct ReadCase {
  const char* name;
  AudioMixer::Range range;
  qint64 raw;
  qint32 percent;
};

TEST(MasterVolume, ReadsThePercentRoundedHalfToEven) {
  const ReadCase cases[] = {
      {"32768 of 0..65535", {0, 65535}, 32768, 50},
      {"12.5 % goes down to even", {0, 8}, 1, 12},
      {"37.5 % goes up to even", {0, 8}, 3, 38},
      {"a range below zero", {-10000, 0}, -2500, 75},
      {"an empty range (max = min) reads 0", {7, 7}, 7, 0},
      {"a value that gives no 32-bit percent reads 0", {0, 1}, 100'000'000'000, 0},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAudioMixers card;
    card.range = c.range;
    card.raw = c.raw;
    LibWMPCustom volume(card);
    const FloatingPointTraps traps;
    EXPECT_EQ(volume.GetMasterVolume(), c.percent);
  }
}

TEST(MasterVolume, WithoutDeviceOrControlReadsZeroAndWritesNothing) {
  struct Case {
    const char* name;
    bool device;
    bool control;
  };
  const Case cases[] = {{"no mixer device", false, true}, {"no master volume", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAudioMixers card;
    card.deviceExists = c.device;
    card.hasMasterVolume = c.control;
    card.raw = 32768;
    cMixer mixer(card);
    EXPECT_FALSE(mixer.Success());
    EXPECT_EQ(mixer.Value(), 0);
    mixer.SetValue(50);
    EXPECT_EQ(mixer.Value(), 0);
    EXPECT_TRUE(card.writes.isEmpty());
    EXPECT_EQ(card.openedDevices, QList<qint32>{0});
  }
}

TEST(MasterVolume, TheFirstUseOpensTheMixerOnceEvenForAnIgnoredPercent) {
  for (const qint32 ignored : {101, -1}) {
    SCOPED_TRACE(ignored);
    FakeAudioMixers card;
    card.raw = 65535;
    {
      LibWMPCustom volume(card);
      EXPECT_TRUE(card.openedDevices.isEmpty());
      volume.SetMasterVolume(ignored);
      EXPECT_EQ(card.openedDevices, QList<qint32>{0});
      EXPECT_EQ(card.openMixers, 1);
      EXPECT_TRUE(card.writes.isEmpty());

      EXPECT_EQ(volume.GetMasterVolume(), 100);
      volume.SetMasterVolume(0);
      EXPECT_EQ(volume.GetMasterVolume(), 0);
      EXPECT_EQ(card.openedDevices, QList<qint32>{0});
      EXPECT_EQ(card.chooseCalls, 1);
    }
    EXPECT_EQ(card.openMixers, 0);
  }
}

TEST(MasterVolume, AFailedReadKeepsTheLastValue) {
  FakeAudioMixers card;
  card.raw = 32768;
  LibWMPCustom volume(card);
  EXPECT_EQ(volume.GetMasterVolume(), 50);
  // Changed outside: every read asks the mixer again.
  card.raw = 16384;
  EXPECT_EQ(volume.GetMasterVolume(), 25);

  card.readFails = true;
  card.raw = 0;
  EXPECT_EQ(volume.GetMasterVolume(), 25);
  volume.SetMasterVolume(37);
  EXPECT_EQ(volume.GetMasterVolume(), 37);

  card.readFails = false;
  EXPECT_EQ(volume.GetMasterVolume(), 37);
  card.raw = 65535;
  EXPECT_EQ(volume.GetMasterVolume(), 100);
}

}  // namespace
