// Signposts: panels per line, shields and exit boxes, wrapping, line limits.
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TSignPostPaint.h"

#include <gtest/gtest.h>

#include "support/GoldenImage.h"
#include "support/TestPaths.h"

namespace {

class SignpostTest : public ::testing::Test {
protected:
    void SetUp() override { TSignPostPaint::SetFontFile(testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf"); }
};

TEST_F(SignpostTest, LinesWrapAndHeights)
{
    TSignPostPaint s;
    s.NewSignPost("[M7] Springvale\nCobble Hill", 14, true, TColorIG(255, 255, 255), 999, 4);
    EXPECT_EQ(2, s.LineCount());
    const int two = s.Height();
    s.NewSignPost("<14> Springvale Harbour Cobble Hill Quay", 14, true, TColorIG(255, 255, 255), 120, 4);
    EXPECT_GT(s.LineCount(), 2);
    EXPECT_GT(s.Height(), two);
    // Hostile input lays out without trouble: unclosed marks, empty lines, huge sizes.
    for (const char* text : {"", "[", "<", "[M7", "\n\n\n", "[]<>", "word"}) {
        s.NewSignPost(text, 100000, false, TColorIG(0, 0, 0), -5, -3);
        EXPECT_GE(s.LineCount(), 1) << text;
    }
}

TEST_F(SignpostTest, WhatItLooksLike)
{
    IDCdir dc;
    dc.SetSize(260, 150);
    dc.GetBackBuffer().Fill(TColorIG(40, 40, 40));
    TSignPostPaint s;
    s.NewSignPost("[M7] Springvale\nCobble Hill", 14, true, TColorIG(255, 255, 255), 240, 4);
    s.Pinta(dc, TPointIG(10, 10), 2);
    s.NewSignPost("<14> Springvale\n[B12] Harbour", 14, true, TColorIG(255, 255, 255), 240, 4);
    s.Pinta(dc, TPointIG(10, 80), 1);  // one line only
    EXPECT_TRUE(golden::Matches(dc.GetBackBuffer(), "nav/signposts", 8, 30));
    // Clipped: nothing outside the clip changes.
    dc.GetBackBuffer().Fill(TColorIG(0, 0, 0));
    dc.SelectClipRect(TRectIG(0, 0, 50, 50));
    s.Pinta(dc, TPointIG(10, 10), 2);
    dc.Fin_SelectClipRgn();
    EXPECT_EQ(0u, dc.GetBackBuffer().GetPixel(100, 20).color & 0xFFFFFF);
    EXPECT_NE(0u, dc.GetBackBuffer().GetPixel(20, 20).color & 0xFFFFFF);
}

} // namespace
