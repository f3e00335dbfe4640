#include <gtest/gtest.h>

#include <climits>

#include "enginelib/draw/Geometry.h"

namespace {

TEST(Rect, SizesFollowExclusiveRightAndBottom)
{
    struct Case {
        TRectIG r;
        int w, h;
        bool empty;
    } cases[] = {
        {{0, 0, 10, 5}, 10, 5, false},
        {{-3, -4, 3, 4}, 6, 8, false},
        {{5, 5, 5, 9}, 0, 4, true},
        {{5, 5, 9, 5}, 4, 0, true},
        {{10, 0, 0, 10}, -10, 10, true},
        {{0, 0, 1, 1}, 1, 1, false},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, INT_MAX, false},  // saturated
        {{INT_MAX, 0, INT_MIN, 1}, INT_MIN, 1, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.r.Width(), c.w);
        EXPECT_EQ(c.r.Height(), c.h);
        EXPECT_EQ(c.r.IsEmpty(), c.empty);
    }
}

TEST(Rect, InflateAndOffset)
{
    TRectIG r(10, 20, 30, 40);
    r.Inflate(-2, -3);
    EXPECT_EQ(r, TRectIG(12, 23, 28, 37));
    r.Inflate(5, 1);
    EXPECT_EQ(r, TRectIG(7, 22, 33, 38));
    r.Offset(-7, 100);
    EXPECT_EQ(r, TRectIG(0, 122, 26, 138));
    TRectIG huge(INT_MIN + 1, 0, INT_MAX - 1, 1);
    huge.Inflate(10, 0);  // saturates instead of overflowing
    EXPECT_EQ(huge.left, INT_MIN);
    EXPECT_EQ(huge.right, INT_MAX);
}

TEST(Rect, Intersect)
{
    struct Case {
        TRectIG a, b, expected;
        bool overlap;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}, true},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}, true},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, false},  // sharing an edge only
        {{0, 0, 10, 10}, {0, 10, 10, 20}, {0, 0, 0, 0}, false},
        {{0, 0, 10, 10}, {-5, -5, 0, 0}, {0, 0, 0, 0}, false},
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 0, 0}, false},
        {{0, 0, 10, 10}, {8, 8, 2, 2}, {0, 0, 0, 0}, false},  // inverted
    };
    for (const Case& c : cases) {
        TRectIG r(1, 2, 3, 4);
        EXPECT_EQ(r.Intersect(c.a, c.b), c.overlap);
        EXPECT_EQ(r, c.expected);
        EXPECT_EQ(c.a.Overlaps(c.b), c.overlap);
        TRectIG self = c.a;
        EXPECT_EQ(self.IntersectWith(c.b), c.overlap);
        EXPECT_EQ(self, c.expected);
    }
}

TEST(Rect, PointInsideExcludesRightAndBottom)
{
    TRectIG r(0, 0, 3, 2);
    EXPECT_TRUE(r.PtInRect(0, 0));
    EXPECT_TRUE(r.PtInRect(2, 1));
    EXPECT_FALSE(r.PtInRect(3, 1));
    EXPECT_FALSE(r.PtInRect(2, 2));
    EXPECT_FALSE(r.PtInRect(-1, 0));
    EXPECT_TRUE(r.Contains(TPointIG(1, 1)));
    EXPECT_FALSE(TRectIG(5, 5, 5, 5).PtInRect(5, 5));
}

TEST(Rect, ContainsRect)
{
    TRectIG r(0, 0, 10, 10);
    EXPECT_TRUE(r.Contains(TRectIG(0, 0, 10, 10)));
    EXPECT_TRUE(r.Contains(TRectIG(2, 2, 3, 3)));
    EXPECT_FALSE(r.Contains(TRectIG(2, 2, 11, 3)));
    EXPECT_TRUE(r.Contains(TRectIG(50, 50, 50, 50)));  // empty
}

TEST(Rect, NormalizeCentreAndConstruction)
{
    TRectIG r(10, 20, 0, 5);
    r.Normalize();
    EXPECT_EQ(r, TRectIG(0, 5, 10, 20));
    EXPECT_EQ(TRectIG(0, 0, 5, 5).Center(), TPointIG(2, 2));
    EXPECT_EQ(TRectIG(-5, -5, 0, 0).Center(), TPointIG(-2, -2));  // toward zero
    EXPECT_EQ(TRectIG(TPointIG(3, 4), TSizeIG(10, 20)), TRectIG(3, 4, 13, 24));
    EXPECT_EQ(TRectIG(3, 4, 13, 24).Size(), TSizeIG(10, 20));
    EXPECT_EQ(TRectIG(3, 4, 13, 24).TopLeft(), TPointIG(3, 4));
    EXPECT_EQ(TRectIG(3, 4, 13, 24).BottomRight(), TPointIG(13, 24));
}

} // namespace
