#pragma once
#include <string>

#include <gtest/gtest.h>

class TDibIG;

// Compares bitmaps with golden PNG files under tests/fixtures/golden/.
//
//   EXPECT_TRUE(golden::Matches(image, "display/map_day"));
//
// compares image with tests/fixtures/golden/display/map_day.png. Pixels match
// when each of red, green, blue and opacity differs by at most `tolerance`
// (colours of pixels invisible in both are ignored); at most `badPixels`
// pixels may fail. On a mismatch the actual image is written to
// golden-actual/<name>.png in the test program's build folder and the message
// names it. With ORBETA_UPDATE_GOLDEN=1 in the environment the
// golden file is (re)written from the image instead, and the check passes.
namespace golden {

::testing::AssertionResult Matches(const TDibIG& image, const std::string& name, int tolerance = 2,
                                   int badPixels = 0);

// Where the golden and the actual image of a name live.
std::string GoldenPath(const std::string& name);
std::string ActualPath(const std::string& name);

} // namespace golden
