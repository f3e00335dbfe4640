// A tool bar paints as a box: with an opaque background it covers what is
// under it, and leaving that out changes no pixel (the screen is the same as
// with every background painted whole).
#include <string>

#include <gtest/gtest.h>

#include "support/CoverPaint.h"
#include "support/TestEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

struct ToolBarCoverCase {
    const char* name;
    const char* bar;  // the tool bar's attributes
    bool opaque;
    bool pressFirst;  // the first item pressed (its own style)
};

const char kItems[] = R"(<menuitem id="one" label="one" minimumWidth="40" maximumWidth="40" background="#30C030"/>
<menuitem label="two" minimumWidth="40" maximumWidth="40" background="#3030C080"/>
<menuitem label="three" minimumWidth="40" maximumWidth="40"/>)";

const ToolBarCoverCase kCases[] = {
    {"opaque fill", R"(background="#C08040")", true, false},
    {"opaque fill, packed at the end", R"(background="#C08040" pack="End")", true, false},
    {"opaque fill with padding", R"(background="#C08040" padding="5" paddingInner="3")", true, false},
    {"opaque fill, item pressed", R"(background="#C08040")", true, true},
    {"translucent fill", R"(background="#C0804080")", false, false},
    {"no background", R"(background="None")", false, false},
    {"nine-slice, packed at the end", R"x(background="=commonOff(0 0 12 12)" pack="End")x", false, false},
    {"rounded border", R"(background="#C08040" border="Round 3 #FFFFFF 6")", false, false},
    {"hidden", R"(background="#C08040" visible="false")", false, false},
};

} // namespace

TEST(ToolBarCover, CoversAsABoxAndKeepsEveryPixel)
{
    RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
    for (const ToolBarCoverCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TestEngine engine(240, 100);
        auto* page = new TPDAUIEngineElementPage(&engine);
        std::string xml = R"(<page layout="Vertical" background="#203040"><box flex="1" background="#405060"/>)";
        xml += std::string("<toolbar id=\"tb\" minimumHeight=\"48\" ") + c.bar + ">" + kItems + "</toolbar></page>";
        TPDAUIEngineXml root;
        ASSERT_TRUE(root.Parse(&xml[0])) << xml;
        page->OnLoad(&engine, nullptr, nullptr, &root, nullptr);
        engine.OpenPage(page);
        engine.Frame();
        TPDAUIEngineElement* bar = page->FindElement("tb", false);
        ASSERT_NE(nullptr, bar);
        if (c.pressFirst) {
            TPDAUIEngineElement* one = page->FindElement("one", false);
            ASSERT_NE(nullptr, one);
            one->pressed = 1;
        }
        EXPECT_EQ(c.opaque, bar->PaintsOpaque(&engine.dc));
        int first = -1;
        EXPECT_EQ(0, coverpaint::Differences(engine, &first)) << "first at " << first;
        engine.pages.RemoveAll();
        delete page;
    }
}
