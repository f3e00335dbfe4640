// The user-control factory: the fixed table of tags, compared exactly.
#include <cstring>
#include <string>

#include "app/TUserControlFactory.h"
#include "pages_test_app.h"

namespace {
using namespace pagestest;

class UserControlFactoryTest : public ::testing::Test {
protected:
    int LogLines(const std::string& part)
    {
        int n = 0;
        for (const std::string& line : app.engine.recorder.log)
            n += line.find(part) != std::string::npos;
        return n;
    }
    PagesApp app;
};

TEST_F(UserControlFactoryTest, EveryTagOfTheTableIsKnownAndAnswersNullUntilItsClassExists)
{
    int count = 0;
    const TUserControlFactoryRow* rows = TUserControlFactory::Rows(count);
    ASSERT_EQ(20, count);
    EXPECT_STREQ("usercontrol/usercontrolMapScale", rows[0].tag);
    EXPECT_STREQ("usercontrol/usercontrolOrbetaAds", rows[19].tag);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(0, std::strncmp(rows[i].tag, "usercontrol/usercontrol", 23)) << rows[i].tag;
        EXPECT_EQ(std::string("TUserControl") + (rows[i].tag + 23), rows[i].className);
        TPDAUIEngineElement* made = TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, rows[i].tag);
        if (rows[i].make) {
            // A class that exists: a new control with the row's tag.
            ASSERT_NE(nullptr, made) << rows[i].tag;
            EXPECT_STREQ(rows[i].tag, made->tag.c_str());
            delete made;
            EXPECT_EQ(0, LogLines(std::string("user control ") + rows[i].tag + " (")) << rows[i].tag;
            continue;
        }
        EXPECT_EQ(nullptr, made) << rows[i].tag;
        EXPECT_EQ(1, LogLines(std::string("user control ") + rows[i].tag + " (")) << rows[i].tag;
    }
}

TEST_F(UserControlFactoryTest, TagsCompareWholeAndWithTheirCase)
{
    struct Case {
        const char* tag;
        const char* row;  // the class named in the log line, or null for no row
    };
    const Case cases[] = {
        {"usercontrol/usercontrolMapScaleOrStatus", "(TUserControlMapScaleOrStatus)"},
        {"usercontrol/usercontrolMapScale", "(TUserControlMapScale)"},
        {"usercontrol/usercontrolvelocity", nullptr},
        {"usercontrol/usercontrolVelocity ", nullptr},
        {"usercontrol/usercontrolMapScal", nullptr},
        {"usercontrolCompass", nullptr},
        {"", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        app.engine.recorder.log.clear();
        TPDAUIEngineElement* made = TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, c.tag);
        if (made) {
            EXPECT_EQ(made->tag, c.tag);
        } else if (c.row) {
            EXPECT_EQ(1, LogLines(c.row)) << c.tag;
        }
        if (!c.row) {
            EXPECT_EQ(nullptr, made);
            EXPECT_TRUE(app.engine.recorder.log.empty()) << (c.tag ? c.tag : "null");
        }
        delete made;
    }
}

TEST_F(UserControlFactoryTest, TheProfileGraphWritesItsLineToTheLibraryLogEachTime)
{
    for (int i = 0; i < 2; ++i)
        delete TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, "usercontrol/usercontrolGraficas_2011B");
    int exact = 0;
    for (const std::string& line : app.engine.recorder.log)
        exact += line == "FuncCreateUserControlElementByNameCallBack usercontrolGraficas_2011B";
    EXPECT_EQ(2, exact);
}

} // namespace
