// The keys manager on a virtual clock: timing modes, rotation, routing to the
// elements, blocked input, pages of a definition, and the key-map file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"
#include "test_engine_doubles.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

typedef TPDAUIEngineKeysManager KM;

enum { VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18, VK_ESCAPE = 27, VK_LEFT = 37, VK_UP = 38,
       VK_RIGHT = 39, VK_DOWN = 40, VK_F11 = 122, VK_LSHIFT = 160 };

// One firing as a page or the application saw it: command, engine ms after the
// first key down, elapsed value.
struct Fired {
    std::string command;
    int at;
    int elapsed;
    bool operator==(const Fired& o) const
    {
        return command == o.command && at == o.at && elapsed == o.elapsed;
    }
};

std::ostream& operator<<(std::ostream& os, const Fired& f)
{
    return os << "{" << f.command << " @" << f.at << " elapsed " << f.elapsed << "}";
}

TestEngine* g_engine = nullptr;
int g_origin = 0;

// Engine ms since g_origin, right across the wrap of the tick.
int SinceOrigin() { return (int)((uint32_t)g_engine->Now() - (uint32_t)g_origin); }
std::vector<Fired> g_fired;       // seen by pages
std::vector<Fired> g_appFired;    // seen by the application's command callback
std::vector<std::string> g_appAux;
int g_blockerCalls = 0;
int g_wakeUps = 0;
int g_wakeUpAnswer = 0;

void RecordOnPage(RecPage*, TPDAUIEngineCommand& command)
{
    g_fired.push_back({command.name.c_str(), SinceOrigin(), command.elapsed});
}

void RecordInApp(void*, const char* command, const char* aux, int elapsed, uint8_t*, intptr_t)
{
    g_appFired.push_back({command, SinceOrigin(), elapsed});
    g_appAux.push_back(aux);
}

// An element that records its key calls and answers as told; it does not pass
// keys on to the page (which would move the focus).
class KeyElement : public RecElement {
public:
    KeyElement(const char* elementId, EventLog* eventLog)
        : RecElement(elementId, 0, 0, 10, 10, eventLog)
    {
    }
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override
    {
        log->Add(std::string(id.c_str()) + ":keydown " + Num(key));
        *handled = handleDown;
        *consumed = consumeDown;
    }
    void OnKeyPress(int character, unsigned char* handled, unsigned char* consumed,
                    int) override
    {
        log->Add(std::string(id.c_str()) + ":char " + Num(character));
        *handled = handleChar;
        *consumed = consumeChar;
    }
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override
    {
        log->Add(std::string(id.c_str()) + ":keyup " + Num(key) + " " + Num(heldTime));
        *handled = handleUp;
    }
    unsigned char handleDown = 0, consumeDown = 0, handleChar = 0, consumeChar = 0,
                  handleUp = 0;
};

struct Def {
    Def(int k, int w, const char* c, const char* p = "*", bool b = false, int k2 = 0)
        : key(k), when(w), command(c), pages(p), breakAfter(b), key2(k2)
    {
    }
    int key;
    int when;
    const char* command;
    const char* pages;
    bool breakAfter;
    int key2;
};

class KeysManagerTest : public ::testing::Test {
protected:
    KeysManagerTest() : page(&engine, "pageMap")
    {
        g_engine = &engine;
        g_fired.clear();
        g_appFired.clear();
        g_appAux.clear();
        g_blockerCalls = 0;
        g_wakeUps = 0;
        g_wakeUpAnswer = 0;
        page.onCommand = RecordOnPage;
        engine.callbacks.uiCommand = RecordInApp;
        engine.callbacks.inputBlocked = [](void*, int, int) { ++g_blockerCalls; };
        engine.OpenPage(&page);
        focus = static_cast<KeyElement*>(page.Add(new KeyElement("edt", &log)));
        focus->OnLoad(&engine, &page, &page, nullptr, nullptr);
        other = static_cast<KeyElement*>(page.Add(new KeyElement("other", &log)));
        other->OnLoad(&engine, &page, &page, nullptr, nullptr);
        page.focusedElement = focus;
        // Engine time 2000: a multiple of the 50 ms window timer, so the timer
        // passes fall at known offsets after a key down.
        engine.Advance(2000 - engine.Now());
        g_origin = engine.Now();
        g_fired.clear();  // the page's "load"
        page.received.clear();
        log.Clear();
    }
    ~KeysManagerTest() override
    {
        engine.pages.RemoveAll();
        g_engine = nullptr;
    }

    KM& keys() { return engine.keysManager; }

    void Define(const Def& d)
    {
        KM::TKeyDefinition def;
        def.key = d.key;
        def.key2 = d.key2;
        def.when = d.when;
        def.command = d.command;
        def.onlyInPages = d.pages ? d.pages : "*";
        def.breakAfter = d.breakAfter;
        keys().definitions.Add(def);
    }
    void Define(int key, int when, const char* command, const char* pages = "*")
    {
        Define(Def{key, when, command, pages, false, 0});
    }
    void Replace(int from, int to)
    {
        KM::TKeyReplace r;
        r.from = from;
        r.to = to;
        keys().replacements.Add(r);
    }
    void Reset()
    {
        keys().definitions.RemoveAll();
        keys().replacements.RemoveAll();
        g_fired.clear();
        g_appFired.clear();
        log.Clear();
        g_origin = engine.Now();
    }

    TestEngine engine;
    EventLog log;
    RecPage page;
    KeyElement* focus = nullptr;
    KeyElement* other = nullptr;
};

// ---- Timing ------------------------------------------------------------------------------

TEST_F(KeysManagerTest, TimingTableOnTheVirtualClock)
{
    ASSERT_EQ(2000, engine.Now());
    struct Case {
        const char* name;
        std::vector<Def> defs;
        int holdMs;
        std::vector<Fired> expected;  // times after the key down
    };
    const int A = 65;
    const std::vector<Case> cases = {
        {"press fires once at the key down", {{A, KM::Press, "p"}}, 50, {{"p", 0, 0}}},
        {"pressed: a tap under 150 ms fires once at the release",
         {{A, KM::Pressed, "r"}}, 100, {{"r", 100, 0}}},
        {"pressed: 149 ms", {{A, KM::Pressed, "r"}}, 149, {{"r", 149, 0}}},
        {"pressed: repeats on timer passes after 150 ms, then once at the release",
         {{A, KM::Pressed, "r"}}, 300,
         {{"r", 200, 0}, {"r", 250, 50}, {"r", 300, 50}, {"r", 300, 0}}},
        {"shortpressed: 300 ms tap", {{A, KM::ShortPressed, "s"}}, 300, {{"s", 300, 0}}},
        {"shortpressed: released at 650 ms", {{A, KM::ShortPressed, "s"}}, 650, {{"s", 650, 0}}},
        {"shortpressed: held 700 ms", {{A, KM::ShortPressed, "s"}}, 700, {}},
        {"longpressed: first timer pass after 650 ms", {{A, KM::LongPressed, "l"}}, 700,
         {{"l", 700, 0}}},
        {"longpressed: released at 651 ms fires at the release", {{A, KM::LongPressed, "l"}},
         651, {{"l", 651, 0}}},
        {"longpressed: 300 ms tap", {{A, KM::LongPressed, "l"}}, 300, {}},
        {"longpressed: held 2 s fires once", {{A, KM::LongPressed, "l"}}, 2000, {{"l", 700, 0}}},
        {"unpress", {{A, KM::Unpress, "u"}}, 100, {{"u", 100, 0}}},
        {"pressed hides shortpressed", {{A, KM::ShortPressed, "s"}, {A, KM::Pressed, "r"}}, 100,
         {{"r", 100, 0}}},
        {"pressed without a command hides nothing",
         {{A, KM::Pressed, ""}, {A, KM::ShortPressed, "s"}}, 100, {{"s", 100, 0}}},
        {"long and short: tap", {{A, KM::LongPressed, "l"}, {A, KM::ShortPressed, "s"}}, 300,
         {{"s", 300, 0}}},
        {"long and short: hold", {{A, KM::LongPressed, "l"}, {A, KM::ShortPressed, "s"}}, 700,
         {{"l", 700, 0}}},
        {"press then unpress: elapsed since the press's firing",
         {{A, KM::Press, "p"}, {A, KM::Unpress, "u"}}, 120, {{"p", 0, 0}, {"u", 120, 120}}},
        {"a firing of press leaves nothing for shortpressed",
         {{A, KM::Press, "p"}, {A, KM::ShortPressed, "s"}}, 120, {{"p", 0, 0}}},
        {"break stops the check", {{A, KM::Press, "p1", "*", true}, {A, KM::Press, "p2"}}, 50,
         {{"p1", 0, 0}}},
        {"without break both fire", {{A, KM::Press, "p1"}, {A, KM::Press, "p2"}}, 50,
         {{"p1", 0, 0}, {"p2", 0, 0}}},
        {"other keys' definitions stay quiet", {{66, KM::Press, "b"}, {66, KM::Unpress, "b"}},
         50, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        for (const Def& d : c.defs)
            Define(d);
        engine.Key(A, c.holdMs);
        EXPECT_EQ(c.expected, g_fired);
        EXPECT_TRUE(g_appFired.empty());
        EXPECT_EQ(0, keys().pressedKeys.Count());
        engine.Advance(1000 - (engine.Now() % 1000));  // no firing after the release
        EXPECT_EQ(c.expected, g_fired);
    }
}

TEST_F(KeysManagerTest, ThresholdsToTheMillisecond)
{
    struct Case {
        int when;
        int afterMs;   // checked directly at this time after the key down
        bool release;  // the key goes up at that time instead
        bool fires;
    } cases[] = {
        {KM::Pressed, 150, false, false},     {KM::Pressed, 151, false, true},
        {KM::LongPressed, 650, false, false}, {KM::LongPressed, 651, false, true},
        {KM::LongPressed, 650, true, false},  {KM::ShortPressed, 650, true, true},
        {KM::ShortPressed, 651, true, false}, {KM::ShortPressed, 10, false, false},
        {KM::Unpress, 5000, false, false},    {KM::Unpress, 5000, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.when) + " at " + std::to_string(c.afterMs) +
                     (c.release ? " released" : " held"));
        Reset();
        Define(65, c.when, "x");
        engine.KeyDown(65);
        engine.Skip(c.afterMs);  // no timer pass in between
        if (c.release)
            engine.KeyUp(65);
        else
            EXPECT_EQ(c.fires, keys().CheckPressedKeys());
        EXPECT_EQ(c.fires ? 1u : 0u, g_fired.size());
        if (!c.release)
            engine.KeyUp(65);
    }
}

TEST_F(KeysManagerTest, LongPressFiresOnceAcrossTheTickWrap)
{
    // Engine time 2^31 - 300: the signed tick turns negative during the press.
    engine.Skip((int)(2147483648u - 300u - (uint32_t)engine.Now()));
    Define(65, KM::LongPressed, "l");
    Define(66, KM::ShortPressed, "s");
    engine.KeyDown(65);
    engine.Skip(700);
    EXPECT_TRUE(keys().CheckPressedKeys());
    engine.KeyUp(65);
    engine.KeyDown(66);
    engine.Skip(400);
    engine.KeyUp(66);
    ASSERT_EQ(2u, g_fired.size());
    EXPECT_EQ("l", g_fired[0].command);
    EXPECT_EQ("s", g_fired[1].command);

    // A firing at engine tick 0 still counts as a firing.
    g_fired.clear();
    engine.Skip((int)(0u - 700u - (uint32_t)engine.Now()) / 2);
    engine.Skip((int)(0u - 700u - (uint32_t)engine.Now()));
    ASSERT_EQ((uint32_t)-700, (uint32_t)engine.Now());
    engine.KeyDown(65);
    engine.Skip(700);
    ASSERT_EQ(0, engine.Now());
    EXPECT_TRUE(keys().CheckPressedKeys());
    engine.Skip(50);
    EXPECT_FALSE(keys().CheckPressedKeys());
    engine.KeyUp(65);
    EXPECT_EQ(1u, g_fired.size());
}

TEST_F(KeysManagerTest, TwoKeysPress)
{
    struct Step {
        bool down;
        int key;
        int atMs;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<Fired> expected;
        int elementKeyUps;  // key ups that reach the element
    } cases[] = {
        {"second key down fires",
         {{true, 67, 0}, {true, 68, 100}, {false, 68, 200}, {false, 67, 300}},
         {{"two", 100, 0}},
         1},  // the definition's own key (67) is consumed; 68 is not
        {"in the other order",
         {{true, 68, 0}, {true, 67, 100}, {false, 67, 200}, {false, 68, 300}},
         {{"two", 100, 0}},
         1},
        {"one key alone", {{true, 67, 0}, {false, 67, 300}}, {}, 1},
        {"twice in a row",
         {{true, 67, 0}, {true, 68, 50}, {false, 68, 100}, {true, 68, 150}, {false, 68, 200},
          {false, 67, 250}, {true, 67, 300}, {true, 68, 350}, {false, 67, 400}, {false, 68, 450}},
         {{"two", 50, 0}, {"two", 350, 0}},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        Define(Def{67, KM::TwoKeysPress, "two", "*", false, 68});
        for (const Step& s : c.steps) {
            engine.Advance(g_origin + s.atMs - engine.Now());
            if (s.down)
                engine.KeyDown(s.key);
            else
                engine.KeyUp(s.key);
        }
        EXPECT_EQ(c.expected, g_fired);
        EXPECT_EQ(c.elementKeyUps, log.Count("edt:keyup"));
        EXPECT_EQ(0, keys().pressedKeys.Count());
    }
}

// ---- Replacement and rotation ---------------------------------------------------------------

TEST_F(KeysManagerTest, RotationTurnsTheArrowKeys)
{
    struct Case {
        int rotation;
        int pressed;
        int arrives;
    } cases[] = {
        {0, VK_LEFT, VK_LEFT},     {0, VK_DOWN, VK_DOWN},
        {90, VK_LEFT, VK_UP},      {90, VK_UP, VK_RIGHT},    {90, VK_RIGHT, VK_DOWN},
        {90, VK_DOWN, VK_LEFT},    {180, VK_LEFT, VK_RIGHT}, {180, VK_UP, VK_DOWN},
        {180, VK_RIGHT, VK_LEFT},  {180, VK_DOWN, VK_UP},    {270, VK_LEFT, VK_DOWN},
        {270, VK_UP, VK_LEFT},     {270, VK_RIGHT, VK_UP},   {270, VK_DOWN, VK_RIGHT},
        {90, 65, 65},              {45, VK_LEFT, VK_LEFT},   {-90, VK_UP, VK_UP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rotation) + " degrees, key " + std::to_string(c.pressed));
        Reset();
        engine.skinSettings.screenRotation = c.rotation;
        Define(c.arrives, KM::Unpress, "turned");
        int key = c.pressed;
        keys().RemapKey(key);
        EXPECT_EQ(c.arrives, key);

        engine.Key(c.pressed, 30);
        EXPECT_TRUE(log.Has("edt:keydown " + Num(c.arrives))) << log.Joined();
        EXPECT_EQ(1u, g_fired.size());
    }
    engine.skinSettings.screenRotation = 0;
}

TEST_F(KeysManagerTest, OneReplacementThenTheRotation)
{
    Replace(13, 32);
    Replace(32, 65);   // not applied on top of the first
    Replace(13, 66);   // the first one wins
    Replace(100, VK_DOWN);
    engine.skinSettings.screenRotation = 90;
    struct Case {
        int in, out;
    } cases[] = {{13, 32}, {32, 65}, {100, VK_LEFT}, {VK_DOWN, VK_LEFT}, {66, 66}};
    for (const Case& c : cases) {
        int key = c.in;
        keys().RemapKey(key);
        EXPECT_EQ(c.out, key) << c.in;
    }
    // The character and the key up are turned alike, so they meet the record.
    focus->handleDown = 1;
    engine.KeyDown(13);
    engine.Char(13);
    engine.KeyUp(13);
    EXPECT_EQ((std::vector<std::string>{"edt:keydown 32", "edt:char 32", "edt:keyup 32 0"}),
              log.lines);
    EXPECT_EQ(0, keys().pressedKeys.Count());
    engine.skinSettings.screenRotation = 0;
}

// ---- Routing to elements ------------------------------------------------------------------------

TEST_F(KeysManagerTest, AFiredPressIsConsumedButRepeatsStillReachTheElement)
{
    Define(65, KM::Press, "p");
    EXPECT_TRUE(engine.OnKeyDown(65));
    EXPECT_FALSE(engine.OnKeyDown(65));  // the platform's repeat
    EXPECT_FALSE(engine.OnChar(65));
    EXPECT_FALSE(engine.OnKeyUp(65));
    EXPECT_EQ((std::vector<std::string>{"edt:keydown 65"}), log.lines);
    EXPECT_EQ(1, page.CountReceived("p"));
    EXPECT_EQ(0, keys().pressedKeys.Count());
}

TEST_F(KeysManagerTest, TheElementThatTookTheKeyDownGetsItsCharacterAndKeyUp)
{
    focus->handleDown = 1;
    EXPECT_TRUE(engine.OnKeyDown(65));
    EXPECT_EQ(focus, page.keyDownElement);
    page.focusedElement = other;  // the focus moves while the key is held
    engine.Advance(120);
    EXPECT_FALSE(engine.OnChar(65));
    EXPECT_FALSE(engine.OnKeyDown(65));  // a repeat goes to the focus
    EXPECT_FALSE(engine.OnKeyUp(65));
    EXPECT_EQ(nullptr, page.keyDownElement);
    EXPECT_FALSE(engine.OnChar(66));  // a character with no key held: the focus
    EXPECT_EQ((std::vector<std::string>{"edt:keydown 65", "edt:char 65", "other:keydown 65",
                                        "edt:keyup 65 120", "other:char 66"}),
              log.lines);
    EXPECT_EQ(0, page.busyWithInput);
}

TEST_F(KeysManagerTest, ConsumedResultsAndHandledResults)
{
    struct Case {
        const char* name;
        unsigned char handleDown, consumeDown, handleChar, consumeChar, handleUp;
        bool downResult, charResult, upResult;
        std::vector<std::string> seen;
    } cases[] = {
        {"nothing handled", 0, 0, 0, 0, 0, false, false, false,
         {"edt:keydown 65", "edt:char 65", "edt:keyup 65 50"}},
        {"key down consumed", 0, 1, 0, 0, 0, false, false, false, {"edt:keydown 65"}},
        {"character consumed", 0, 0, 0, 1, 0, false, false, false,
         {"edt:keydown 65", "edt:char 65"}},
        {"all handled", 1, 0, 1, 0, 1, true, true, true,
         {"edt:keydown 65", "edt:char 65", "edt:keyup 65 50"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        focus->handleDown = c.handleDown;
        focus->consumeDown = c.consumeDown;
        focus->handleChar = c.handleChar;
        focus->consumeChar = c.consumeChar;
        focus->handleUp = c.handleUp;
        EXPECT_EQ(c.downResult, engine.OnKeyDown(65));
        EXPECT_EQ(c.charResult, engine.OnChar(65));
        engine.Advance(50);
        EXPECT_EQ(c.upResult, engine.OnKeyUp(65));
        EXPECT_EQ(c.seen, log.lines);
    }
}

TEST_F(KeysManagerTest, ModifierKeysOnlySetTheirFlags)
{
    Replace(VK_LSHIFT, VK_SHIFT);
    engine.callbacks.wakeUp = [](void*, intptr_t) {
        ++g_wakeUps;
        return 0;
    };
    struct Case {
        int key;
        uint8_t KM::*flag;
    } cases[] = {{VK_SHIFT, &KM::shift}, {VK_LSHIFT, &KM::shift}, {VK_CONTROL, &KM::ctrl},
                 {VK_MENU, &KM::alt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Define(VK_SHIFT, KM::Press, "never");
        EXPECT_TRUE(engine.OnKeyDown(c.key));
        EXPECT_EQ(1, keys().*c.flag);
        EXPECT_EQ(0, keys().pressedKeys.Count());
        EXPECT_TRUE(engine.OnKeyUp(c.key));
        EXPECT_EQ(0, keys().*c.flag);
    }
    EXPECT_EQ(0, g_wakeUps);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(g_fired.empty());
}

TEST_F(KeysManagerTest, WakeUpSwallowsKeyDownsAndCharacters)
{
    engine.callbacks.wakeUp = [](void*, intptr_t) {
        ++g_wakeUps;
        return g_wakeUpAnswer;
    };
    Define(65, KM::Press, "p");
    g_wakeUpAnswer = 1;
    EXPECT_TRUE(engine.OnKeyDown(65));
    EXPECT_TRUE(engine.OnChar(65));
    EXPECT_EQ(0, keys().pressedKeys.Count());
    EXPECT_FALSE(engine.OnKeyUp(65));
    EXPECT_EQ(2, g_wakeUps);
    EXPECT_TRUE(g_fired.empty());
    EXPECT_TRUE(log.lines.empty());

    g_wakeUpAnswer = 0;
    EXPECT_TRUE(engine.OnKeyDown(65));
    EXPECT_EQ(1u, g_fired.size());
    engine.KeyUp(65);
}

TEST_F(KeysManagerTest, F11TogglesTheScreenModeWhenNoElementTakesTheKeyUp)
{
    struct Case {
        int mode;
        unsigned char elementHandles;
        unsigned char blocked;
        bool result;
        int newMode;  // -1: no call
    } cases[] = {
        {1, 0, 0, true, 3}, {0, 0, 0, true, 3},  {2, 0, 0, true, 1},
        {3, 0, 0, true, 1}, {1, 1, 0, true, -1}, {1, 0, 1, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        engine.screenModes.clear();
        engine.screenMode = c.mode;
        engine.inputBlocked = c.blocked;
        focus->handleUp = c.elementHandles;
        engine.OnKeyDown(VK_F11);
        EXPECT_EQ(c.result, engine.OnKeyUp(VK_F11));
        if (c.newMode < 0)
            EXPECT_TRUE(engine.screenModes.empty());
        else
            EXPECT_EQ(std::vector<int>{c.newMode}, engine.screenModes);
    }
    engine.inputBlocked = 0;
}

TEST_F(KeysManagerTest, NothingHappensBeforeKeysAreEnabled)
{
    Define(65, KM::Press, "p");
    Define(65, KM::Unpress, "u");
    engine.keysEnabled = 0;
    EXPECT_FALSE(engine.OnKeyDown(65));
    EXPECT_FALSE(engine.OnChar(65));
    EXPECT_FALSE(engine.OnKeyDown(VK_SHIFT));
    EXPECT_EQ(0, keys().shift);
    engine.Advance(300);
    EXPECT_FALSE(engine.OnKeyUp(65));
    EXPECT_FALSE(keys().CheckPressedKeys());
    EXPECT_EQ(0, keys().pressedKeys.Count());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(g_fired.empty());
    engine.keysEnabled = 1;
}

// ---- Where a definition fires --------------------------------------------------------------

TEST_F(KeysManagerTest, BlockedInputLetsOnlyFourCommandsThrough)
{
    struct Case {
        const char* command;
        bool passes;
    } cases[] = {
        {"LumorEngCommand:548", true},   {"LumorEngCommand:549", true},
        {"LumorEngCommand:551", true},   {"LumorEngCommand:577", true},
        {"LumorEngCommand:550", false},  {"LumorEngCommand:12", false},
        {"LumorEngCommand:5480", false}, {"lumorengcommand:548", false},
        {"LumorEngCommand:548,1", false}, {"back", false},
    };
    engine.inputBlocked = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Reset();
        g_blockerCalls = 0;
        Define(65, KM::Press, c.command);
        EXPECT_EQ(c.passes, engine.OnKeyDown(65));
        EXPECT_TRUE(engine.OnChar(65));
        EXPECT_FALSE(engine.OnKeyUp(65));
        EXPECT_EQ(c.passes ? 1 : 0, page.CountReceived(c.command));
        EXPECT_EQ(c.passes ? 0 : 1, g_blockerCalls);
        EXPECT_TRUE(log.lines.empty()) << "no element gets keys while input is blocked";
    }

    // The check ends at the first blocked command: later definitions stay quiet.
    Reset();
    g_blockerCalls = 0;
    Define(65, KM::Press, "LumorEngCommand:549");
    Define(65, KM::Press, "LumorEngCommand:12");
    Define(65, KM::Press, "LumorEngCommand:548");
    EXPECT_FALSE(engine.OnKeyDown(65));
    engine.OnKeyUp(65);
    EXPECT_EQ((std::vector<Fired>{{"LumorEngCommand:549", 0, 0}}), g_fired);
    EXPECT_EQ(1, g_blockerCalls);

    // Without a blocker callback the blocked command is simply dropped.
    Reset();
    engine.callbacks.inputBlocked = nullptr;
    Define(65, KM::Press, "LumorEngCommand:12");
    EXPECT_FALSE(engine.OnKeyDown(65));
    engine.OnKeyUp(65);
    EXPECT_TRUE(g_fired.empty());
    engine.inputBlocked = 0;
}

TEST_F(KeysManagerTest, OnlyInPagesFromTheKeyMap)
{
    testpaths::TempDir dir;
    {
        std::ofstream f(dir / "keys.cxml");
        f << "<keysDefinitions>\n"
             "<keyDefinition key=\"65\" when=\"press\" onlyInPages=\"pageMap,pageMenu\" "
             "command=\"listed\"/>\n"
             "<keyDefinition key=\"65\" when=\"press\" onlyInPages=\"*\" command=\"every\"/>\n"
             "</keysDefinitions>\n";
    }
    ASSERT_TRUE(keys().LoadKeys(DString((dir / "keys.cxml").c_str())));
    ASSERT_EQ(DString("pageMap,pageMenu,"), keys().definitions[0].onlyInPages);

    struct Case {
        const char* pageId;
        bool listed;
    } cases[] = {
        {"pageMap", true},  {"pageMenu", true},  {"pageMa", false}, {"pageMapX", false},
        {"Map", true},      {"pagemap", false},  {"ageMenu", true}, {"pageMain", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pageId);
        g_fired.clear();
        page.id = c.pageId;
        engine.Key(65, 20);
        std::vector<Fired> expected;
        if (c.listed)
            expected.push_back({"listed", 0, 0});
        expected.push_back({"every", 0, 0});
        for (Fired& f : g_fired)
            f.at = 0;
        EXPECT_EQ(expected, g_fired);
    }
    page.id = "pageMap";

    // With no page open only "*" applies, and the application gets it.
    engine.pages.RemoveAll();
    g_fired.clear();
    g_appFired.clear();
    g_origin = engine.Now();
    engine.Key(65, 20);
    EXPECT_EQ((std::vector<Fired>{{"every", 0, 0}}), g_appFired);
    EXPECT_TRUE(g_fired.empty());
}

TEST_F(KeysManagerTest, TheApplicationGetsWhatNoPageTook)
{
    KM::TKeyDefinition def;
    def.key = 65;
    def.when = KM::Pressed;
    def.command = "LumorEngCommand:2434";
    def.commandAux = "volume";
    keys().definitions.Add(def);
    page.unhandled.push_back("LumorEngCommand:2434");
    engine.Key(65, 260);
    EXPECT_EQ((std::vector<Fired>{{"LumorEngCommand:2434", 200, 0},
                                  {"LumorEngCommand:2434", 250, 50},
                                  {"LumorEngCommand:2434", 260, 10}}),
              g_appFired);
    EXPECT_EQ(3, page.CountReceived("LumorEngCommand:2434"));
    EXPECT_EQ("volume", g_appAux.at(0));

    // A page that keeps the handled byte set keeps the command.
    Reset();
    g_appFired.clear();
    page.unhandled.clear();
    keys().definitions.Add(def);
    engine.Key(65, 20);
    EXPECT_EQ(1u, g_fired.size());
    EXPECT_TRUE(g_appFired.empty());
}

// A command whose handler opens a modal page runs timer passes inside the
// check that fired it; the key's press and release must not fire again there.
TEST_F(KeysManagerTest, AModalPageOpenedByAKeyDoesNotRefireTheKey)
{
    static RecPage* modal;
    RecPage modalPage(&engine, "pageModal", &log);
    modal = &modalPage;
    modalPage.onCommand = [](RecPage* p, TPDAUIEngineCommand& command) {
        RecordOnPage(p, command);
        if (command.name == "closeModal")
            p->Close(1);
    };
    page.onCommand = [](RecPage* p, TPDAUIEngineCommand& command) {
        RecordOnPage(p, command);
        if (command.name == "openModal")
            g_engine->ShowPageModal(modal);
    };
    struct Case {
        int when;
        int holdMs;
    } cases[] = {{KM::Press, 500}, {KM::Unpress, 100}, {KM::ShortPressed, 100},
                 {KM::LongPressed, 800}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        Reset();
        page.received.clear();
        modalPage.received.clear();
        Define(65, c.when, "openModal");
        Define(VK_ESCAPE, KM::Press, "closeModal");
        // Escape, pressed on the modal page, closes it 300 ms after it opened.
        engine.ScriptKey(engine.Now() + (c.when == KM::Press ? 300 : c.holdMs + 300), VK_ESCAPE,
                         20);
        engine.Key(65, c.holdMs);
        engine.Advance(1000);
        EXPECT_EQ(1, page.CountReceived("openModal"));
        EXPECT_EQ(0, modalPage.CountReceived("openModal"));
        EXPECT_EQ(1, modalPage.CountReceived("closeModal"));
        EXPECT_EQ(1, engine.GetPageCount());
        EXPECT_EQ(0, keys().pressedKeys.Count());
        EXPECT_EQ(0, page.busyWithInput);
    }
}

// ---- Key-map file ------------------------------------------------------------------------------

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Describe(const KM& k)
{
    std::string out;
    for (int i = 0; i < k.replacements.Count(); ++i) {
        const KM::TKeyReplace& r = k.replacements[i];
        out += "R " + Num(r.from) + " " + Num(r.to) + " [" + r.comments.c_str() + "]\n";
    }
    for (int i = 0; i < k.definitions.Count(); ++i) {
        const KM::TKeyDefinition& d = k.definitions[i];
        out += "D " + Num(d.key) + " " + Num(d.key2) + " " + Num(d.when) + " [" +
               d.onlyInPages.c_str() + "] [" + d.command.c_str() + "] [" + d.commandAux.c_str() +
               "] " + (d.breakAfter ? "break" : "-") + " " + (d.editable ? "edit" : "-") + " [" +
               d.comments.c_str() + "] [" + d.title.c_str() + "]\n";
    }
    return out;
}

// Points the application-data folder at a fresh temporary folder.
class KeyMapFileTest : public KeysManagerTest {
protected:
    KeyMapFileTest()
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);
    }
    ~KeyMapFileTest() override
    {
        if (hadOld_)
            setenv("XDG_DATA_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    std::string Saved() { return dataHome.path() + "/orbeta/ObKeys.cxml"; }
    bool Load(const std::string& path) { return keys().LoadKeys(DString(path.c_str())); }

    testpaths::TempDir dataHome;

private:
    bool hadOld_ = false;
    std::string old_;
};

TEST_F(KeyMapFileTest, LoadReadsTheDocumentedValues)
{
    ASSERT_TRUE(Load(testpaths::Fixture("keys/mixed.cxml")));
    EXPECT_EQ("R 13 32 [Enter as space]\n"
              "R 0 -7 []\n"
              "R 200 201 [after the definitions]\n"
              "D 27 0 0 [*] [LumorEngCommand:11] [] break - [Esc] [Esc]\n"
              "D 117 0 1 [pageMap,] [LumorEngCommand:2434] [up] break edit [] [F6]\n"
              "D 65 0 2 [pageMap,pageMenu,] [short] [] - - [] []\n"
              "D 65 0 3 [*] [long] [] - - [] []\n"
              "D 66 0 4 [*] [up] [] - - [] []\n"
              "D 67 68 5 [*] [two] [] - - [] []\n"
              "D 69 0 4 [*] [odd] [] - - [] []\n"
              "D 12 0 4 [*] [nowhen] [] - - [] []\n"
              "D 0 0 4 [*] [] [] - - [] []\n"
              // Names are found by their beginning: with "key2" and "commandAux"
              // first, "key" and "command" read them.
              "D 5 5 4 [*] [aux] [aux] - - [] []\n"
              "D 70 0 4 [*] [a>b] [] - - [<!-- old] [<?x]\n",
              Describe(keys()));
}

TEST_F(KeyMapFileTest, UnreadableFilesLeaveTheTablesAndBrokenOnesGiveWhatTheyHold)
{
    ASSERT_TRUE(Load(testpaths::Fixture("keys/mixed.cxml")));
    const std::string loaded = Describe(keys());
    EXPECT_FALSE(Load(testpaths::Fixture("keys/missing.cxml")));
    EXPECT_FALSE(Load(testpaths::Fixture("keys")));  // a folder
    EXPECT_FALSE(Load(""));
    EXPECT_EQ(loaded, Describe(keys()));

    EXPECT_TRUE(Load(testpaths::Fixture("keys/truncated.cxml")));
    EXPECT_EQ("R 13 32 [Enter as space]\n"
              "R 0 -7 []\n"
              "D 27 0 0 [*] [LumorEngCommand:11] [] break - [Esc] [Esc]\n"
              "D 117 0 1 [pageMap,] [LumorEngCommand:2434] [up] break edit [] [F6]\n"
              "D 65 0 2 [pageMap,pageMenu,] [short] [] - - [] []\n"
              "D 65 0 4 [*] [] [] - - [] []\n",
              Describe(keys()));

    EXPECT_TRUE(Load(testpaths::Fixture("keys/not_xml.cxml")));
    EXPECT_EQ("", Describe(keys()));

    ASSERT_TRUE(Load(testpaths::Fixture("keys/mixed.cxml")));
    std::ofstream(dataHome / "empty.cxml");
    EXPECT_TRUE(Load(dataHome / "empty.cxml"));
    EXPECT_EQ("", Describe(keys()));
}

TEST_F(KeyMapFileTest, SaveWritesTheFormat)
{
    KM::TKeyReplace r;
    r.from = 13;
    r.to = 32;
    r.comments = "Enter";
    keys().replacements.Add(r);
    KM::TKeyDefinition d;
    d.key = 38;
    d.when = 9;  // no text: written without "when"
    d.onlyInPages = "pageMap,";
    d.breakAfter = true;
    d.command = "LumorEngCommand:5";
    d.comments = "c";
    d.title = "Up";
    d.commandAux = "x";
    keys().definitions.Add(d);
    d.when = KM::TwoKeysPress;
    d.key2 = 40;
    d.onlyInPages = "*";
    d.breakAfter = false;
    d.editable = true;
    d.command = "say \"hi\"";
    keys().definitions.Add(d);

    // The folder of the name given is replaced by the application-data folder.
    ASSERT_TRUE(keys().SaveKeys(DString("/no/such/folder/ObKeys.cxml")));
    EXPECT_EQ("<keysDefinitions>\n"
              "    <keyReplace from=\"13\" to=\"32\" comments=\"Enter\"/>\n"
              "    <keyDefinition key=\"38\" key2=\"0\" onlyInPages=\"pageMap,\" break=\"true\" "
              "command=\"LumorEngCommand:5\" comments=\"c\" editable=\"false\" title=\"Up\" "
              "commandAux=\"x\"/>\n"
              "    <keyDefinition key=\"38\" key2=\"40\" when=\"twokeyspress\" onlyInPages=\"*\" "
              "break=\"false\" command=\"say &quot;hi&quot;\" comments=\"c\" editable=\"true\" "
              "title=\"Up\" commandAux=\"x\"/>\n"
              "</keysDefinitions>\n",
              ReadAll(Saved()));

    ASSERT_TRUE(Load(Saved()));
    EXPECT_EQ(KM::Unpress, keys().definitions[0].when);
}

TEST_F(KeyMapFileTest, SaveFailsWhereNothingCanBeWritten)
{
    EXPECT_FALSE(keys().SaveKeys(DString("")));
    EXPECT_FALSE(keys().SaveKeys(DString("/tmp/")));
    // An application-data folder that cannot be made.
    std::ofstream(dataHome / "plainfile") << "x";
    setenv("XDG_DATA_HOME", (dataHome / "plainfile").c_str(), 1);
    EXPECT_FALSE(keys().SaveKeys(DString("ObKeys.cxml")));
}

TEST_F(KeyMapFileTest, LoadSaveLoadGivesTheSameTablesAndTheCommaDoesNotGrow)
{
    const std::string sources[] = {testpaths::Fixture("keys/mixed.cxml"),
                                   testpaths::SourceDir() + "/skins/default/ObKeys_D.cxml"};
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        ASSERT_TRUE(Load(source));
        const std::string first = Describe(keys());
        ASSERT_TRUE(keys().SaveKeys(DString("ObKeys.cxml")));
        const std::string savedOnce = ReadAll(Saved());
        for (int round = 0; round < 3; ++round) {
            ASSERT_TRUE(Load(Saved()));
            EXPECT_EQ(first, Describe(keys()));
            ASSERT_TRUE(keys().SaveKeys(DString("ObKeys.cxml")));
            EXPECT_EQ(savedOnce, ReadAll(Saved()));
        }
    }
    EXPECT_EQ(std::string::npos, ReadAll(Saved()).find(",,"));
}

TEST_F(KeyMapFileTest, TheDefaultKeyMapUsesOnlyKnownModes)
{
    const std::string path = testpaths::SourceDir() + "/skins/default/ObKeys_D.cxml";
    std::string text = ReadAll(path);
    ASSERT_FALSE(text.empty());
    TPDAUIEngineXml root;
    ASSERT_TRUE(root.Parse(&text[0]));
    int definitions = 0;
    for (int i = 0; i < root.children.Count(); ++i) {
        const TPDAUIEngineXml* node = root.children[i];
        if (node->name != "keyDefinition")
            continue;
        ++definitions;
        const DString when = node->GetAttribute("when", "");
        const char* known = KM::WhenToText(KM::WhenFromText(when.c_str()));
        EXPECT_EQ(std::string(when.c_str()), known ? known : "");
    }
    ASSERT_TRUE(Load(path));
    EXPECT_EQ(definitions, keys().definitions.Count());
    EXPECT_GT(definitions, 0);
}

TEST_F(KeyMapFileTest, AnEditedCommandIsSavedAndReadBack)
{
    // The key-assignment page writes a new command in place and saves.
    ASSERT_TRUE(Load(testpaths::SourceDir() + "/skins/default/ObKeys_D.cxml"));
    keys().definitions[1].command = "LumorEngCommand:300";
    ASSERT_TRUE(keys().SaveKeys(DString("ObKeys.cxml")));
    EXPECT_EQ("LumorEngCommand:300", std::string(keys().definitions[1].command.c_str()));

    KM second(&engine);
    ASSERT_TRUE(second.LoadKeys(DString(Saved().c_str())));
    EXPECT_EQ(Describe(keys()), Describe(second));
}

} // namespace
