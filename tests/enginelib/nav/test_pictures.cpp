// The library's own pictures: their sizes and kinds, the fields that carry them,
// and what they look like.
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavPictures.h"

#include <gtest/gtest.h>

#include "nav_fixture.h"
#include "support/GoldenImage.h"

namespace {
using enginelib::Debug;

TEST(NavPictures, SizesAndTransparency)
{
    TNavPictures& p = TNavPictures::Get();
    for (int kind = 0; kind < TDemoRoute::ManoeuvreKinds; ++kind)
        for (int size : {64, 40}) {
            const TDibIG* d = p.Manoeuvre((TDemoRoute::ManoeuvreKind)kind, size);
            ASSERT_NE(nullptr, d) << kind << " " << size;
            EXPECT_EQ(size, d->Width());
            EXPECT_EQ(size, d->AbsHeight());
            EXPECT_EQ(16, d->Bpp());
            EXPECT_TRUE(d->Tiene_Alphas());
            EXPECT_EQ(255, d->GetAlpha(0, 0));  // corners are see-through
            EXPECT_EQ(d, p.Manoeuvre((TDemoRoute::ManoeuvreKind)kind, size));  // made once
        }
    EXPECT_EQ(nullptr, p.Manoeuvre(TDemoRoute::ManoeuvreKinds, 64));
    EXPECT_EQ(nullptr, p.Manoeuvre(TDemoRoute::TurnLeft, 41));
    const TDibIG* camera = p.Camera();
    ASSERT_NE(nullptr, camera);
    EXPECT_EQ(48, camera->Width());
    // Lane pictures: letters 32 x 32, separators 4 x 32, on the colour key.
    const std::pair<char, int> lanes[] = {{'a', 32}, {'H', 32}, {'e', 32}, {'1', 4}, {'2', 4}, {'(', 4}, {')', 4}};
    for (const auto& l : lanes) {
        const TDibIG* d = p.Lane(l.first);
        ASSERT_NE(nullptr, d) << l.first;
        EXPECT_EQ(l.second, d->Width());
        EXPECT_EQ(32, d->AbsHeight());
        EXPECT_FALSE(d->Tiene_Alphas());
        EXPECT_EQ(TColorIG(255, 0, 255).color, d->GetPixel(0, 0).color & 0xFFFFFF) << l.first;
    }
    for (char c : {'i', 'Z', '0', '3', '#', ' ', '\0', '\xFF'})
        EXPECT_EQ(nullptr, p.Lane(c)) << int(c);
    // Recommended arrows are white, the others grey.
    EXPECT_GT(p.Lane('A')->GetPixel(16, 24).color & 0xFF, p.Lane('a')->GetPixel(16, 24).color & 0xFF);
}

TEST(NavPictures, FieldsCarryThePictures)
{
    TLumorGPSEngineInterface f;
    navtest::InMemory(f);
    navtest::Start(f);
    ASSERT_TRUE(Debug::JumpTo("C1", -300));
    TValCampo v;
    f.Retorna_Val_Campo_Global(314, v, false, false);
    EXPECT_EQ(TNavPictures::Get().Manoeuvre(TDemoRoute::SlightRight, 64), v.objeto);
    f.Retorna_Val_Campo_Global(372, v, false, false);
    EXPECT_EQ(TNavPictures::Get().Manoeuvre(TDemoRoute::MergeLeft, 40), v.objeto);
    f.Retorna_Val_Campo_Global(319, v, false, false);
    EXPECT_EQ(TNavPictures::Get().Camera(), v.objeto);
    ASSERT_TRUE(Debug::JumpTo("C1", 10));  // past the camera
    f.Retorna_Val_Campo_Global(319, v, false, false);
    EXPECT_EQ(nullptr, v.objeto);
    EXPECT_EQ(TNavPictures::Get().Lane('B'), f.GetDibLaneInfoChar('B'));
    EXPECT_EQ(nullptr, f.GetDibLaneInfoChar('x'));
}

TEST(NavPictures, WhatTheyLookLike)
{
    // Every picture side by side on a grey sheet, as a driver would see them.
    TDibIG sheet;
    ASSERT_TRUE(sheet.Crea(10 * 66, 66 + 42 + 50 + 34, 16));
    sheet.Fill(TColorIG(90, 100, 110));
    auto put = [&](const TDibIG* d, int x0, int y0) {
        for (int y = 0; y < d->AbsHeight(); ++y)
            for (int x = 0; x < d->Width(); ++x) {
                const int alpha = d->GetAlpha(x, y);
                const TColorIG c = d->GetPixel(x, y);
                if ((c.color & 0xFFFFFF) == TColorIG(255, 0, 255).color || alpha > 127)
                    continue;
                sheet.SetPixel(x0 + x, y0 + y, c);
            }
    };
    TNavPictures& p = TNavPictures::Get();
    for (int kind = 0; kind < TDemoRoute::ManoeuvreKinds; ++kind) {
        put(p.Manoeuvre((TDemoRoute::ManoeuvreKind)kind, 64), kind * 66, 0);
        put(p.Manoeuvre((TDemoRoute::ManoeuvreKind)kind, 40), kind * 66, 66);
    }
    put(p.Camera(), 0, 108);
    int x = 0;
    for (char c : std::string("abcdefghABCDEFGH12()"))
        put(p.Lane(c), x, 158), x += p.Lane(c)->Width() + 1;
    EXPECT_TRUE(golden::Matches(sheet, "nav/pictures", 8, 20));
}

} // namespace
