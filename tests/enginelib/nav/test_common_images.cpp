// The library's "common..." image set: every name the pages use, at the sizes the
// pages rely on, and one picture for every command the trees can show.
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TCommandTable.h"
#include "enginelib/nav/TCommonImages.h"
#include "enginelib/nav/TDefaultTrees.h"
#include "enginelib/nav/TVectorComandas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "support/TestPaths.h"

namespace {
const std::string kFont = testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf";
const std::string kEnglish = testpaths::SourceDir() + "/enginelib/nav/data/lang/en.lng";

TEST(CommonImages, EveryNameThePagesUseAtItsSize)
{
    const struct {
        const char* name;
        int width, height;
    } table[] = {
        {"commonCheckBoxSmall", 16, 16},      {"commonSandClock", 48, 48},        {"commonArrowGoto", 32, 32},
        {"commonCompas", 128, 128},           {"commonCompasArrow1", 128, 128},   {"commonCompas3Background", 128, 128},
        {"commonCompas3Foreground", 128, 128}, {"commonCompas2Background", 360, 32}, {"commonCompas2Foreground", 360, 32},
        {"commonCompas2Foreground2", 360, 32}, {"commonCurrentPosition", 24, 24}, {"commonAddress", 24, 24},
        {"commonMap", 24, 24},                {"commonPOI", 24, 24},              {"commonHistoric", 24, 24},
        {"commonHome", 24, 24},               {"commonMyDestination", 24, 24},    {"commonWaypoint", 24, 24},
        {"commonCity", 24, 24},               {"commonStreet", 24, 24},           {"commonFilter", 24, 24},
        {"commonFilterPressed", 24, 24},      {"commonFilterTrackCategories", 24, 24},
        {"commonMiniArrowDirection", 16, 16}, {"commonInformation", 32, 32},      {"commonWarning", 32, 32},
        {"commonError", 32, 32},              {"commonQuestion", 32, 32},         {"commonFolder", 24, 24},
        {"commonFile", 24, 24},               {"commonDrive", 24, 24},            {"toolbar_lumor_ob", 16 * 64, 16},
        {"toolbar_lumor_ob2", 32 * 64, 32},   {"languageFlags", 32 * 3, 32},      {"commonCommand269Pressed2", 32, 32},
    };
    const std::vector<std::string> names = TCommonImages::Names();
    const std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), names.size());
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(unique.count(row.name));
        const auto image = TCommonImages::Draw(row.name, kFont, kEnglish);
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(row.width, image->Width());
        EXPECT_EQ(row.height, image->AbsHeight());
        EXPECT_TRUE(image->Tiene_Alphas());
    }
    for (const char* bad : {"commonNothing", "commonCommand", "commonCommandx", "commonCommand99999",
                            "commonCommand12Pressed2", "commonCommand-1", ""})
        EXPECT_EQ(nullptr, TCommonImages::Draw(bad, kFont, kEnglish)) << bad;
}

TEST(CommonImages, EveryCommandOfTheTreesHasItsThreeStates)
{
    const std::vector<std::string> names = TCommonImages::Names();
    const std::set<std::string> all(names.begin(), names.end());
    std::function<void(const TVectorComandas&)> walk = [&](const TVectorComandas& t) {
        for (int i = 0; i < t.Count(); ++i) {
            const int n = t[i]->Comanda();
            if (n != 10) {
                for (const char* state : {"", "Pressed", "Disabled"})
                    EXPECT_TRUE(all.count("commonCommand" + std::to_string(n) + state)) << n << state;
            }
            if (t[i]->SubMenu())
                walk(*t[i]->SubMenu());
        }
    };
    for (int index = 0; index < 7; ++index) {
        TVectorComandas tree;
        FillDefaultTree(index, tree);
        walk(tree);
    }
    // The map's and the lists' context menus.
    for (int n : {1101, 188, 123, 205, 157, 151, 150, 453, 758, 755, 870, 235, 865, 853, 2464, 240, 230, 193})
        EXPECT_TRUE(all.count("commonCommand" + std::to_string(n))) << n;
    // Without its font and names an icon still draws (showing no letters).
    const auto bare = TCommonImages::Draw("commonCommand147", "", "");
    ASSERT_NE(nullptr, bare);
    EXPECT_EQ(32, bare->Width());
}

} // namespace
