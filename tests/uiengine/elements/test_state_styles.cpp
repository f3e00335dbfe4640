#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineStateStyles.h"

namespace {

using E = TPDAUIEngineElement;
using Borders = TPDAUIEngineStateStyles<TPDAUIEngineStyleBorder>;
using Backgrounds = TPDAUIEngineStateStyles<TPDAUIEngineStyleBackground>;

class Leaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

// What a border looks like, for comparing whole styles.
std::string Describe(const TPDAUIEngineStyleBorder& b)
{
    return std::to_string(b.width) + "/" + std::to_string(b.style) + "/" + std::to_string(b.colour.color) + "/" +
           std::to_string(b.shade.color) + "/" + std::to_string(b.alpha) + "/" + std::to_string(b.radius);
}

TEST(StateStyles, UnsetStylesReadAsTheDefaultsWithoutACopy)
{
    const TPDAUIEngineStyleBorder border;
    const TPDAUIEngineStyleBackground background;
    Leaf e;
    // Read through a non-const element, as painting and layout do.
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(Describe(border), Describe(e.borders[s])) << s;
        EXPECT_EQ(background.kind, e.backgrounds[s].kind) << s;
        EXPECT_EQ(background.colour.color, e.backgrounds[s].colour.color) << s;
        EXPECT_TRUE(e.backgrounds[s].imageName.IsEmpty()) << s;
    }
    int count = 0;
    for (const TPDAUIEngineStyleBorder& b : e.borders) {
        EXPECT_EQ(Describe(border), Describe(b));
        ++count;
    }
    EXPECT_EQ(5, count);
    EXPECT_FALSE(e.borders.IsOwn());
    EXPECT_FALSE(e.backgrounds.IsOwn());
}

TEST(StateStyles, AnEditChangesOneStateOfThisElementOnly)
{
    Leaf a, b;
    a.borders.Edit(E::StateFocus).width = 7;
    a.backgrounds.Edit(E::StatePressed).imageName = "pressed.png";
    EXPECT_EQ(7, a.borders[E::StateFocus].width);
    EXPECT_EQ(a.backgrounds[E::StatePressed].imageName, "pressed.png");
    for (int s : {E::StateNormal, E::StatePressed, E::StateDisabled, E::StateHover})
        EXPECT_EQ(Describe(TPDAUIEngineStyleBorder()), Describe(a.borders[s])) << s;
    EXPECT_TRUE(a.backgrounds[E::StateNormal].imageName.IsEmpty());
    // The defaults the other element reads did not move.
    EXPECT_EQ(0, b.borders[E::StateFocus].width);
    EXPECT_TRUE(b.backgrounds[E::StatePressed].imageName.IsEmpty());
    EXPECT_FALSE(b.borders.IsOwn());

    a.borders.Reset();
    EXPECT_FALSE(a.borders.IsOwn());
    EXPECT_EQ(0, a.borders[E::StateFocus].width);
}

// Blocks given back are handed out again: a new copy must start from the
// defaults in every state, whatever the block held before.
TEST(StateStyles, AReusedBlockStartsFromTheDefaults)
{
    const TPDAUIEngineStyleBackground background;
    for (int round = 0; round < 3; ++round) {
        std::vector<Borders> used(40);
        std::vector<Backgrounds> usedBack(40);
        for (size_t i = 0; i < used.size(); ++i)
            for (int s = 0; s < 5; ++s) {
                used[i].Edit(s).width = 7 + s;
                used[i].Edit(s).radius = 1;
                usedBack[i].Edit(s).kind = TPDAUIEngineStyleBackground::KindImage;
                usedBack[i].Edit(s).imageName = "a rather long image name that leaves the inline room.bmp";
            }
        used.clear();
        usedBack.clear();
        std::vector<Borders> fresh(40);
        std::vector<Backgrounds> freshBack(40);
        for (size_t i = 0; i < fresh.size(); ++i) {
            fresh[i].Edit(2).style = TPDAUIEngineStyleBorder::StyleSolid;
            freshBack[i].Edit(3).colour = TColoresIG::F_Black;
            for (int s = 0; s < 5; ++s) {
                TPDAUIEngineStyleBorder expected;
                if (s == 2)
                    expected.style = TPDAUIEngineStyleBorder::StyleSolid;
                EXPECT_EQ(Describe(expected), Describe(fresh[i][s])) << round << " " << i << " " << s;
                EXPECT_EQ(background.kind, freshBack[i][s].kind) << round << " " << s;
                EXPECT_TRUE(freshBack[i][s].imageName.IsEmpty()) << round << " " << s;
            }
        }
    }
}

TEST(StateStyles, CopiesAreDeepAndCarryTheDefaultsToo)
{
    Borders own, plain;
    own.Edit(E::StateHover).width = 3;
    own.SetAll(own[E::StateHover]);

    struct Case {
        const char* name;
        const Borders& from;
        bool intoOwn;  // the target held styles of its own before
    };
    const Case cases[] = {{"own into plain", own, false},
                          {"own into own", own, true},
                          {"plain into own", plain, true},
                          {"plain into plain", plain, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Borders target;
        if (c.intoOwn)
            target.Edit(E::StateNormal).style = TPDAUIEngineStyleBorder::StyleDotted;
        target = c.from;
        Borders constructed(c.from);
        for (int s = 0; s < 5; ++s) {
            EXPECT_EQ(Describe(c.from[s]), Describe(target[s])) << s;
            EXPECT_EQ(Describe(c.from[s]), Describe(constructed[s])) << s;
        }
        EXPECT_EQ(c.from.IsOwn(), target.IsOwn());
        // Changing the copy leaves the original alone.
        target.Edit(E::StateDisabled).width = 99;
        constructed.Edit(E::StateDisabled).width = 98;
        EXPECT_EQ(c.from.IsOwn() ? 3 : 0, c.from[E::StateDisabled].width);
    }
    Borders self;
    self.Edit(E::StateNormal).width = 4;
    const Borders& alias = self;
    self = alias;
    EXPECT_EQ(4, self[E::StateNormal].width);
}

TEST(StateStyles, AttributesCopyFromAndCloneKeepEveryState)
{
    Leaf a;
    a.SetAttribute("border", "Solid 2 #00FF00");
    a.SetAttribute("borderFocus", "Dotted 1 #0000FF");
    a.SetAttribute("backgroundHover", "#FF0000");
    ASSERT_TRUE(a.borders.IsOwn());
    ASSERT_TRUE(a.backgrounds.IsOwn());

    Leaf copy;
    copy.CopyFrom(&a);
    Leaf plain;
    Leaf reset;
    reset.borders.Edit(E::StateNormal).width = 5;
    reset.CopyFrom(&plain);  // a source without styles of its own takes them away
    for (int s = 0; s < 5; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(Describe(a.borders[s]), Describe(copy.borders[s]));
        EXPECT_EQ(a.backgrounds[s].kind, copy.backgrounds[s].kind);
        EXPECT_EQ(a.backgrounds[s].colour.color, copy.backgrounds[s].colour.color);
        EXPECT_EQ(Describe(TPDAUIEngineStyleBorder()), Describe(reset.borders[s]));
    }
    EXPECT_EQ(TPDAUIEngineStyleBorder::StyleDotted, copy.borders[E::StateFocus].style);
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindColor, copy.backgrounds[E::StateHover].kind);
    // The copy is its own: changing it leaves the source as it was.
    copy.SetAttribute("borderFocus", "Solid 9 #000000");
    EXPECT_EQ(TPDAUIEngineStyleBorder::StyleDotted, a.borders[E::StateFocus].style);
}

// MakeEach asks for the states in order and keeps what each call made, in
// place of whatever the styles held (the defaults, an own copy, or a block
// given back by another element).
TEST(StateStyles, MakeEachTakesEveryStateInOrder)
{
    std::vector<Backgrounds> givenBack(8);
    for (Backgrounds& b : givenBack)
        for (int s = 0; s < 5; ++s) {
            b.Edit(s).imageName = "a rather long image name that leaves the inline room.bmp";
            b.Edit(s).offsetX = 9;
        }
    givenBack.clear();

    Backgrounds plain, own;
    own.Edit(E::StateHover).imageName = "another name long enough for a heap block of its own.png";
    own.Edit(E::StateNormal).offsetY = 4;
    for (Backgrounds* styles : {&plain, &own}) {
        std::vector<int> asked;
        styles->MakeEach([&](int state) {
            asked.push_back(state);
            const std::string name = state == 2 ? "" : "state" + std::to_string(state) + ".png";
            return TPDAUIEngineStyleBackground(TPDAUIEngineStyleBackground::KindImage, TColorIG(0x10u * state),
                                               CDString(name.c_str(), (int)name.size(), CodePage::Hebrew),
                                               100 + state, state, -state, 2 * state, 3 * state, 7);
        });
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), asked);
        ASSERT_TRUE(styles->IsOwn());
        for (int s = 0; s < 5; ++s) {
            SCOPED_TRACE(s);
            const TPDAUIEngineStyleBackground& b = (*styles)[s];
            EXPECT_EQ(TPDAUIEngineStyleBackground::KindImage, b.kind);
            EXPECT_EQ(0x10u * s, b.colour.color);
            EXPECT_EQ(std::string(b.imageName.c_str()), s == 2 ? "" : "state" + std::to_string(s) + ".png");
            EXPECT_EQ(CodePage::Hebrew, b.imageName.GetCodepage());
            EXPECT_EQ(100 + s, b.alpha);
            EXPECT_EQ(s, b.x);
            EXPECT_EQ(-s, b.y);
            EXPECT_EQ(2 * s, b.w);
            EXPECT_EQ(3 * s, b.h);
            EXPECT_EQ(7, b.edge);
            // The rest as a new style has it.
            EXPECT_EQ(nullptr, b.image);
            EXPECT_EQ(0, b.offsetX);
            EXPECT_EQ(0, b.offsetY);
        }
    }
}

}  // namespace
