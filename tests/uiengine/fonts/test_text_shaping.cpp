#include <gtest/gtest.h>

#include "uiengine/fonts/TPDAUIEngineTextShaping.h"

namespace {

std::u16string Shaped(std::u16string text) {
    ShapeArabic(text.empty() ? nullptr : &text[0], (int)text.size());
    return text;
}

// Beh (dual-joining), dal (right-joining), hamza (non-joining).
constexpr char16_t kBeh = 0x0628, kDal = 0x062F, kHamza = 0x0621, kLam = 0x0644, kAlef = 0x0627;

TEST(ShapeArabic, FormFollowsTheNeighbours) {
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {{kBeh}, {0xFE8F}},                                // isolated
        {{kBeh, kBeh}, {0xFE91, 0xFE90}},                   // initial, final
        {{kBeh, kBeh, kBeh}, {0xFE91, 0xFE92, 0xFE90}},     // medial in the middle
        {{kDal, kBeh}, {0xFEA9, 0xFE8F}},                   // dal joins nothing after it
        {{kBeh, kDal}, {0xFE91, 0xFEAA}},                   // dal takes its final form
        {{kHamza, kHamza}, {0xFE80, 0xFE80}},               // hamza has one form
        {{0x0626, kBeh}, {0xFE8B, 0xFE8F}},                 // yeh-hamza does not join onward
        {{kBeh, 0x0629, kBeh}, {0xFE91, 0xFE94, 0xFE8F}},   // teh marbuta joined: final form
        {{0x063B, kBeh}, {0x063B, 0xFE8F}},                 // letters without a row stay
        {{u'a', kBeh, u' '}, {u'a', 0xFE8F, u' '}},
    };
    for (const Case& c : cases) EXPECT_EQ(Shaped(c.in), c.out);
}

TEST(ShapeArabic, LamAlefAtAWordStartIsOneLigatureAndTheTextKeepsItsLength) {
    EXPECT_EQ(Shaped({kLam, kAlef, kBeh}), (std::u16string{0xFEFB, 0xFE8F, u' '}));
    EXPECT_EQ(Shaped({u' ', kLam, kAlef, u' ', kBeh}), (std::u16string{u' ', 0xFEFB, u' ', 0xFE8F, u' '}));
    // Inside a word the lam is medial and the alef final: no ligature.
    EXPECT_EQ(Shaped({kBeh, kLam, kAlef}), (std::u16string{0xFE91, 0xFEE0, 0xFE8E}));
}

TEST(ShapeArabic, EveryLetterOfTheTableHasFourForms) {
    // Between two behs a dual-joining letter is medial; alone isolated.
    for (char16_t c = 0x0621; c <= 0x064A; ++c) {
        std::u16string alone = Shaped({c});
        std::u16string middle = Shaped({kBeh, c, kBeh});
        if (c >= 0x063B && c <= 0x0640) {
            EXPECT_EQ(alone[0], c);
            continue;
        }
        EXPECT_GE(alone[0], 0xFE80) << std::hex << (int)c;
        EXPECT_GE(middle[1], 0xFE80) << std::hex << (int)c;
    }
}

TEST(ReverseHebrewRuns, ReversesHebrewWordsAndKeepsLatinOrder) {
    std::u16string text = u"ab \u05D0\u05D1\u05D2 cd";
    ReverseHebrewRuns(&text[0], (int)text.size());
    // The run takes in the blank after it.
    EXPECT_EQ(text, u"ab  \u05D2\u05D1\u05D0cd");

    DUString two(u"\u05D0\u05D1 \u05D2\u05D3");
    ReverseHebrewRuns(two);
    EXPECT_EQ(two.Text(), u"\u05D3\u05D2 \u05D1\u05D0");
}

TEST(AdjustPairSpacing, PairsDependOnBold) {
    struct Case {
        char16_t a, b;
        bool bold;
        int delta;
    } cases[] = {
        {u'C', u'a', true, 1}, {u'c', u'a', true, 0}, {u'd', u'o', true, -1},
        {u'v', u'o', false, -1}, {u'v', u'o', true, 0}, {u'P', u'S', false, 1},
        {u'2', u'3', false, 1}, {0x05D0, u'a', false, 0},
    };
    for (const Case& c : cases) {
        int x = 10;
        AdjustPairSpacing(c.a, c.b, c.bold, x);
        EXPECT_EQ(x, 10 + c.delta) << (char)c.a << (char)c.b << c.bold;
    }
}

} // namespace
