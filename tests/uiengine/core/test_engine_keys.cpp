// Key definitions fired by the engine's key events and timer passes.
#include <gtest/gtest.h>

#include "test_engine_doubles.h"

namespace {

typedef TPDAUIEngineKeysManager KM;

class KeysTest : public ::testing::Test {
protected:
    KeysTest() : page(&engine, "pageMap", &log)
    {
        engine.OpenPage(&page);
        engine.Advance(1000);
    }
    ~KeysTest() override { engine.pages.RemoveAll(); }

    void Define(int key, int when, const char* command, const char* pages = "*")
    {
        KM::TKeyDefinition def;
        def.key = key;
        def.when = when;
        def.command = command;
        def.onlyInPages = pages;
        engine.keysManager.definitions.Add(def);
    }

    TestEngine engine;
    EventLog log;
    RecPage page;
};

TEST_F(KeysTest, TimingModes)
{
    struct Case {
        const char* name;
        int first, second;  // modes; -1: none
        int hold;
        int firstFires, secondFires;
    } cases[] = {
        {"press", KM::Press, -1, 50, 1, 0},
        {"pressed tap fires at release", KM::Pressed, -1, 100, 1, 0},
        {"short tap", KM::ShortPressed, -1, 300, 1, 0},
        {"short held too long", KM::ShortPressed, -1, 700, 0, 0},
        {"long held", KM::LongPressed, -1, 700, 1, 0},
        {"long tapped", KM::LongPressed, -1, 300, 0, 0},
        {"unpress", KM::Unpress, -1, 100, 1, 0},
        {"pressed hides short", KM::Pressed, KM::ShortPressed, 100, 1, 0},
        {"long and short: tap", KM::LongPressed, KM::ShortPressed, 300, 0, 1},
        {"long and short: hold", KM::LongPressed, KM::ShortPressed, 700, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.keysManager.definitions.RemoveAll();
        page.received.clear();
        Define(65, c.first, "first");
        if (c.second >= 0)
            Define(65, c.second, "second");
        engine.Key(65, c.hold);
        engine.Advance(200);
        EXPECT_EQ(c.firstFires, page.CountReceived("first"));
        EXPECT_EQ(c.secondFires, page.CountReceived("second"));
        EXPECT_EQ(0, engine.keysManager.pressedKeys.Count());
    }
}

TEST_F(KeysTest, PressedRepeatsOnTimerPassesWithTheElapsedTime)
{
    Define(66, KM::Pressed, "scroll");
    engine.KeyDown(66);
    engine.Advance(500);
    const int whileHeld = page.CountReceived("scroll");
    EXPECT_GE(whileHeld, 5);
    engine.KeyUp(66);
    EXPECT_EQ(whileHeld + 1, page.CountReceived("scroll"));
}

TEST_F(KeysTest, OnlyInPagesIsAPlainSearchOfTheIdAndAComma)
{
    struct Case {
        const char* pageId;
        bool fires;
    } cases[] = {{"pageMap", true}, {"pageMapX", false}, {"Map", true}, {"pageMenu", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pageId);
        engine.keysManager.definitions.RemoveAll();
        page.received.clear();
        page.id = c.pageId;
        Define(67, KM::Press, "onMap", "pageMap,");
        engine.Key(67);
        EXPECT_EQ(c.fires ? 1 : 0, page.CountReceived("onMap"));
    }
}

TEST_F(KeysTest, BlockedInputLetsOnlyFourCommandsThrough)
{
    static int blockerCalls;
    blockerCalls = 0;
    engine.callbacks.inputBlocked = [](void*, int, int) { ++blockerCalls; };
    engine.inputBlocked = 1;
    Define(68, KM::Press, "LumorEngCommand:549");
    Define(69, KM::Press, "LumorEngCommand:12");
    engine.Key(68);
    engine.Key(69);
    EXPECT_EQ(1, page.CountReceived("LumorEngCommand:549"));
    EXPECT_EQ(0, page.CountReceived("LumorEngCommand:12"));
    EXPECT_EQ(1, blockerCalls);
}

TEST_F(KeysTest, UnhandledCommandsGoToTheApplicationWithTheSecondText)
{
    static std::string seen, second;
    seen.clear();
    engine.callbacks.uiCommand = [](void*, const char* command, const char* aux, int, uint8_t*,
                                    intptr_t) {
        seen = command;
        second = aux;
    };
    page.unhandled.push_back("LumorEngCommand:300");
    KM::TKeyDefinition def;
    def.key = 70;
    def.when = KM::Press;
    def.command = "LumorEngCommand:300";
    def.commandAux = "extra";
    engine.keysManager.definitions.Add(def);
    engine.Key(70);
    EXPECT_EQ("LumorEngCommand:300", seen);
    EXPECT_EQ("extra", second);
}

TEST_F(KeysTest, ReplacementAppliesOnceAndWakeUpSwallows)
{
    KM::TKeyReplace r1;
    r1.from = 13;
    r1.to = 32;
    KM::TKeyReplace r2;
    r2.from = 32;
    r2.to = 65;
    engine.keysManager.replacements.Add(r1);
    engine.keysManager.replacements.Add(r2);
    RecElement* edit = page.Add(new RecElement("edtA", 0, 0, 10, 10, &log));
    edit->OnLoad(&engine, &page, &page, nullptr, nullptr);
    page.focusedElement = edit;
    engine.KeyDown(13);
    EXPECT_TRUE(log.Has("edtA:keydown 32,0 0"));
    engine.KeyUp(13);

    static int wakeUps;
    wakeUps = 0;
    engine.callbacks.wakeUp = [](void*, intptr_t) {
        ++wakeUps;
        return 1;
    };
    log.Clear();
    EXPECT_TRUE(engine.OnKeyDown(50));
    EXPECT_EQ(1, wakeUps);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(0, engine.keysManager.pressedKeys.Count());
    page.focusedElement = nullptr;
}

} // namespace
