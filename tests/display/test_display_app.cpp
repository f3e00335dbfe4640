// The display's test application: the factory answers for its tags and the
// simulated drive stands still until a test moves it.
#include "display/display_test_app.h"

namespace {

TEST(DisplayApp, StartsWithTheDriveOnManualTime)
{
    displaytest::DisplayApp app;
    ASSERT_TRUE(app.started);
    ASSERT_TRUE(app.skinLoaded);
    ASSERT_NE(app.engine.simulation, nullptr);
    app.At(12.5);
    EXPECT_DOUBLE_EQ(app.engine.simulation->Now(), 12.5);
    EXPECT_EQ(TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, "usercontrol/usercontrolNone"),
              nullptr);
}

} // namespace
