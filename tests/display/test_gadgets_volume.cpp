// The volume page: steps of 5 between 0 and 100, mute, the click sound, and in
// key mode the close one second after the last change (virtual clock).
#include <string>
#include <vector>

#include "display/display_test_app.h"
#include "display/pages/TPageVolume.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

namespace {
using exectest::RecMain;

// The platform's volume and mute, as the application's callbacks keep them.
struct Sound {
    static int volume;
    static int mute;
};
int Sound::volume = 50;
int Sound::mute = 0;

class VolumeTest : public ::testing::Test {
protected:
    VolumeTest() : main(&app)
    {
        Sound::volume = 50;
        Sound::mute = 0;
        TPDAUIEngineCallbacks& cb = app.ui->callbacks;
        cb.getSoundVolume = [](void*, int, int) { return Sound::volume; };
        cb.setSoundVolume = [](void*, int v, int) { Sound::volume = v; };
        cb.getSoundMute = [](void*) { return Sound::mute; };
        cb.setSoundMute = [](void*, int on, int) { Sound::mute = on; };
        app.ui->OpenPage(&main);
    }
    ~VolumeTest() override
    {
        while (app.ui->GetPageCount() > 0) {
            TPDAUIEngineElementPage* top = app.ui->GetTopPage();
            app.ui->pages.RemoveAllEqual(top);
            if (top != &main)
                delete top;
        }
    }
    TPageVolume* Open(bool keyMode)
    {
        auto* page = new TPageVolume(&app, keyMode);
        app.ui->OpenPage(page);
        return page;
    }
    void Send(TPageVolume* page, const char* name)
    {
        TPDAUIEngineCommand c(nullptr, name);
        page->OnCommand(c);
    }
    bool VolumeShown() const { return app.ui->GetPageCount() == 2; }

    displaytest::DisplayApp app;
    RecMain main;
};

TEST_F(VolumeTest, StepsOfFiveClampedToTheRangeWithTheButtonsFollowing)
{
    struct Row {
        int start;
        const char* command;
        int volume;
        bool upEnabled, downEnabled;
    };
    const Row rows[] = {
        {98, "volumeUp", 100, false, true},
        {95, "volumeUp", 100, false, true},
        {50, "volumeUp", 55, true, true},
        {99, "volumeDown", 94, true, true},
        {3, "volumeDown", 0, true, false},
        {5, "volumeDown", 0, true, false},
        // A platform answering outside the range is brought back into it.
        {140, "volumeDown", 95, true, true},
        {-20, "volumeUp", 5, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.command) + " from " + std::to_string(r.start));
        Sound::volume = r.start;
        app.ui->sounds.clear();
        TPageVolume* page = Open(false);
        EXPECT_EQ(5, page->pgbVolumne->increment);
        Send(page, r.command);
        EXPECT_EQ(r.volume, Sound::volume);
        EXPECT_EQ(r.volume, page->pgbVolumne->value);
        EXPECT_EQ(r.upEnabled, page->btnVolumeUp->enabled != 0);
        EXPECT_EQ(r.downEnabled, page->btnVolumeDown->enabled != 0);
        EXPECT_STREQ((std::to_string(r.volume) + " %").c_str(), page->btnVolumeIcon->label.c_str());
        EXPECT_EQ(std::vector<std::string>{app.ui->skinSettings.soundClick.c_str()}, app.ui->sounds);
        app.ui->pages.RemoveAllEqual(page);
        delete page;
    }
}

TEST_F(VolumeTest, MuteShowsMutedAndDisablesBothButtons)
{
    TPageVolume* page = Open(false);
    EXPECT_EQ(1, page->btnCancel->visible);
    EXPECT_EQ(0, page->btnVolumeIcon->pressed);
    Send(page, "mute");
    EXPECT_EQ(1, Sound::mute);
    EXPECT_EQ(1, page->btnVolumeIcon->pressed);
    EXPECT_STREQ("Muted", page->btnVolumeIcon->label.c_str());
    EXPECT_FALSE(page->btnVolumeUp->enabled);
    EXPECT_FALSE(page->btnVolumeDown->enabled);
    Send(page, "mute");
    EXPECT_EQ(0, Sound::mute);
    EXPECT_STREQ("50 %", page->btnVolumeIcon->label.c_str());
    EXPECT_TRUE(page->btnVolumeUp->enabled);
    // Not in key mode: it stays until cancelled.
    app.ui->Advance(5000);
    EXPECT_TRUE(VolumeShown());
    Send(page, "cancel");
    EXPECT_EQ(1, page->closing);
    EXPECT_EQ(1, page->result);
}

TEST_F(VolumeTest, KeyModeClosesOneSecondAfterTheLastKeyAndMutedKeysStillCount)
{
    Sound::mute = 1;
    TPageVolume* page = Open(true);
    EXPECT_EQ(0, page->btnCancel->visible);
    app.ui->Advance(600);
    page->VolumeUp();
    EXPECT_EQ(50, Sound::volume);  // muted: nothing changes
    EXPECT_TRUE(app.ui->sounds.empty());
    app.ui->Advance(900);
    page->VolumeDown();  // ... but the close waits again
    EXPECT_EQ(50, Sound::volume);
    app.ui->Advance(950);
    EXPECT_TRUE(VolumeShown());
    app.ui->Advance(150);
    EXPECT_FALSE(VolumeShown());
}

TEST_F(VolumeTest, TheVolumeKeysReuseThePageOnTop)
{
    EXPECT_TRUE(app.ExecuteCommand(2434, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    auto* page = dynamic_cast<TPageVolume*>(app.ui->GetTopPage());
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(page->keyMode);
    EXPECT_EQ(55, Sound::volume);
    app.ui->Advance(500);
    EXPECT_TRUE(app.ExecuteCommand(2434, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_TRUE(app.ExecuteCommand(2435, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(page, app.ui->GetTopPage());
    EXPECT_EQ(2, app.ui->GetPageCount());
    EXPECT_EQ(55, Sound::volume);
    // A second after the last key it has gone; the next key opens a new one.
    app.ui->Advance(1100);
    EXPECT_EQ(1, app.ui->GetPageCount());
    EXPECT_TRUE(app.ExecuteCommand(2435, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_NE(nullptr, dynamic_cast<TPageVolume*>(app.ui->GetTopPage()));
    EXPECT_EQ(50, Sound::volume);
}

TEST_F(VolumeTest, Pictures)
{
    Sound::volume = 55;
    TPageVolume* page = Open(false);
    app.ui->Advance(500);
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/page_volume", 2, 0));
    Send(page, "mute");
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/page_volume_muted", 2, 0));
}

} // namespace
