#include <gtest/gtest.h>

#include <QtGlobal>
#include <limits>
#include <optional>

#include "editor/SlideTimes.h"
#include "tests/support/TestPrinting.h"

namespace {

constexpr qint32 kMax = std::numeric_limits<qint32>::max();
constexpr qint32 kMin = std::numeric_limits<qint32>::min();

TEST(SlideTimes, HoursMinutesToSeconds) {
  struct Case {
    qint32 hours;
    qint32 minutes;
    std::optional<qint32> expected;
  };
  const Case cases[] = {
      {0, 0, 0},
      {1, 0, 3600},
      {0, 90, 5400},
      {2, 30, 9000},
      {-1, 0, -3600},
      {1, -30, 1800},
      // The largest whole hours and minutes that fit, and one minute more.
      {596523, 14, 2147483640},
      {596523, 15, std::nullopt},
      {-596523, -14, -2147483640},
      {-596523, -15, std::nullopt},
      {kMax, 0, std::nullopt},
      {0, kMax, std::nullopt},
      {kMin, kMin, std::nullopt},
      // Only the total has to fit, not each part on its way there.
      {35791395, kMin, 3120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hours << " h " << c.minutes << " min");
    EXPECT_EQ(quenlow::HoursMinutesToSeconds(c.hours, c.minutes), c.expected);
  }
}

TEST(SlideTimes, DivideTimeRoundsHalfToEven) {
  struct Case {
    qint32 total;
    qint32 count;
    qint32 expected;
  };
  const Case cases[] = {
      {90, 60, 2},           {150, 60, 2},     {3600, 7, 514}, {60, 120, 0},    {60, 100, 1},
      {5400, 4, 1350},       {7200, 3, 2400},  {90, 0, 0},     {90, -3, 0},     {-3600, 7, -514},
      {-90, 60, -2},         {-150, 60, -2},   {-60, 120, 0},  {kMax, 1, kMax}, {kMin, 1, kMin},
      {kMax, 2, 1073741824}, {kMin, kMax, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.total << " / " << c.count);
    EXPECT_EQ(quenlow::DivideTime(c.total, c.count), c.expected);
  }
}

}  // namespace
