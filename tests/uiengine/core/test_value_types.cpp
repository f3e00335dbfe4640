#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "style_test_support.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {

using namespace styletest;


TPDAUIEngineMargins Margins(int l, int t, int r, int b, bool lp = false, bool tp = false,
                            bool rp = false, bool bp = false)
{
    TPDAUIEngineMargins m;
    m.left = l;
    m.top = t;
    m.right = r;
    m.bottom = b;
    m.leftPercent = lp;
    m.topPercent = tp;
    m.rightPercent = rp;
    m.bottomPercent = bp;
    return m;
}

TPDAUIEnginePadding Padding(int l, int t, int r, int b, int i)
{
    TPDAUIEnginePadding p;
    p.left = l;
    p.top = t;
    p.right = r;
    p.bottom = b;
    p.inner = i;
    return p;
}

} // namespace

// ---- UI scale conversions ----

TEST(UIScaleTest, MultiplyAndDivideTruncateTowardZero)
{
    struct Case {
        int value;
        float scale;
        int multiplied;
        int divided;
    } cases[] = {
        {12, 1.5f, 18, 8},   {-12, 1.5f, -18, -8}, {13, 1.5f, 19, 8},   {-13, 1.5f, -19, -8},
        {33, 1.5f, 49, 22},  {3, 2.0f, 6, 1},      {7, 1.0f, 7, 7},     {0, 1.5f, 0, 0},
        {5, 0.0f, 5, 5},     {5, -2.0f, 5, 5},     {INT_MAX, 2.0f, INT_MAX, 1073741824},
        {INT_MIN, 2.0f, INT_MIN, -1073741824},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " at " << c.scale);
        EXPECT_EQ(c.multiplied, TPDAUIEngineUIScale::Multiply(c.value, c.scale));
        EXPECT_EQ(c.divided, TPDAUIEngineUIScale::Divide(c.value, c.scale));
    }
}

TEST(UIScaleTest, ByteFormHoldsLargeLengthsAtTheLimits)
{
    EXPECT_EQ(127, TPDAUIEngineUIScale::DivideToByte(200, 1.0f));
    EXPECT_EQ(-128, TPDAUIEngineUIScale::DivideToByte(-300, 1.0f));
    EXPECT_EQ(100, TPDAUIEngineUIScale::DivideToByte(200, 2.0f));
    EXPECT_EQ(127, TPDAUIEngineUIScale::DivideToByte(INT_MAX, 1.5f));
    EXPECT_EQ(0, TPDAUIEngineUIScale::Truncate(NAN));
    EXPECT_EQ(INT_MAX, TPDAUIEngineUIScale::Truncate(1e20f));
    EXPECT_EQ(INT_MIN, TPDAUIEngineUIScale::Truncate(-1e20f));
}

// ---- Margins ----

TEST(MarginsTest, ClearAndClearValues)
{
    TPDAUIEngineMargins m = Margins(1, 2, 3, 4, true, false, true, true);
    m.ClearValues();
    EXPECT_EQ(0, m.left + m.top + m.right + m.bottom);
    EXPECT_TRUE(m.leftPercent && !m.topPercent && m.rightPercent && m.bottomPercent);
    m = Margins(1, 2, 3, 4, true, true, true, true);
    m.Clear();
    EXPECT_EQ(0, m.left + m.top + m.right + m.bottom);
    EXPECT_FALSE(m.leftPercent || m.topPercent || m.rightPercent || m.bottomPercent);
}

TEST(MarginsTest, PercentagesResolveAgainstTheScreen)
{
    LiveSettings live(1.5f, 480, 272);
    TPDAUIEngineMargins m = Margins(10, 10, -15, 33, true, true, true, true);
    EXPECT_EQ(48, m.GetLeft());
    EXPECT_EQ(27, m.GetTop());     // 27.2
    EXPECT_EQ(-72, m.GetRight());
    EXPECT_EQ(89, m.GetBottom());  // 89.76, truncated
    // Plain values are already screen pixels: the scale is not applied again.
    m = Margins(10, 11, 12, -13);
    EXPECT_EQ(10, m.GetLeft());
    EXPECT_EQ(11, m.GetTop());
    EXPECT_EQ(12, m.GetRight());
    EXPECT_EQ(-13, m.GetBottom());
    // Mixed flags: only the flagged side is a share.
    m = Margins(50, 50, 50, 50, false, true, false, false);
    EXPECT_EQ(50, m.GetLeft());
    EXPECT_EQ(136, m.GetTop());
    // Hostile percentages do not overflow.
    m = Margins(INT_MAX, INT_MIN, 0, 0, true, true, false, false);
    EXPECT_EQ(INT_MAX, m.GetLeft());
    EXPECT_EQ(INT_MIN, m.GetTop());
}

TEST(MarginsTest, CompiledFormIsFourSignedBytesThenFourFlags)
{
    LiveSettings live(1.5f);
    const Bytes bytes = Written([](TFicheroITV& f) {
        Margins(12, -3, 10, 300, false, false, true, false).SaveCompiled(f);
    });
    // 12 / 1.5 = 8; -3 / 1.5 = -2; the percentage 10 as it is; 300 / 1.5 = 200 held at 127.
    EXPECT_EQ((Bytes{8, 0xFE, 10, 127, 0, 0, 1, 0}), bytes);
}

TEST(MarginsTest, CompiledRoundTripAtEachScale)
{
    // (written at, read at, value in, expected value out) for a plain margin and
    // a 10-percent margin beside it.
    struct Case {
        float writeScale;
        float readScale;
        int value;
        int expected;
    } cases[] = {
        {1.0f, 1.0f, 12, 12}, {1.5f, 1.5f, 12, 12}, {1.5f, 2.0f, 12, 16}, {2.0f, 2.0f, 12, 12},
        {1.5f, 1.5f, 13, 12}, {2.0f, 2.0f, 13, 12}, {1.0f, 1.5f, 13, 19}, {1.0f, 1.0f, -3, -3},
        {1.5f, 1.5f, -3, -3}, {2.0f, 2.0f, -3, -2}, {1.0f, 1.0f, 127, 127}, {1.0f, 1.0f, -128, -128},
        {1.0f, 1.0f, 200, 127}, {2.0f, 2.0f, 300, 254}, {1.0f, 1.0f, -500, -128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " written at " << c.writeScale << ", read at "
                                        << c.readScale);
        LiveSettings live(c.writeScale);
        const Bytes bytes = Written([&](TFicheroITV& f) {
            Margins(c.value, 10, c.value, -10, false, true, false, true).SaveCompiled(f);
        });
        live.SetScale(c.readScale);
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        TPDAUIEngineMargins m;
        m.LoadCompiled(in);
        EXPECT_FALSE(in.Error());
        EXPECT_EQ(c.expected, m.left);
        EXPECT_EQ(c.expected, m.right);
        // Percentages come back unscaled, with their flags.
        EXPECT_EQ(10, m.top);
        EXPECT_EQ(-10, m.bottom);
        EXPECT_FALSE(m.leftPercent || m.rightPercent);
        EXPECT_TRUE(m.topPercent && m.bottomPercent);
    }
}

TEST(MarginsTest, TruncatedStreamReadsAsZero)
{
    LiveSettings live(2.0f);
    const Bytes bytes = {5, 6};
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineMargins m = Margins(1, 1, 1, 1, true, true, true, true);
    m.LoadCompiled(in);
    EXPECT_TRUE(in.Error());
    EXPECT_EQ(10, m.left);
    EXPECT_EQ(12, m.top);
    EXPECT_EQ(0, m.right);
    EXPECT_EQ(0, m.bottom);
    EXPECT_FALSE(m.leftPercent || m.topPercent || m.rightPercent || m.bottomPercent);
}

// ---- Padding ----

TEST(PaddingTest, ClearAndOffset)
{
    TPDAUIEnginePadding p = Padding(1, 2, 3, 4, 5);
    p.Offset(2);
    EXPECT_EQ(3, p.left);
    EXPECT_EQ(4, p.top);
    EXPECT_EQ(5, p.right);
    EXPECT_EQ(6, p.bottom);
    EXPECT_EQ(7, p.inner);
    p.Offset(-10);
    EXPECT_EQ(-7, p.left);
    EXPECT_EQ(-3, p.inner);
    p.Clear();
    EXPECT_EQ(0, p.left | p.top | p.right | p.bottom | p.inner);
    p = Padding(INT_MAX, INT_MIN, 0, 0, 0);
    p.Offset(5);
    EXPECT_EQ(INT_MAX, p.left);
    EXPECT_EQ(INT_MIN + 5, p.top);
}

TEST(PaddingTest, CompiledFormIsFiveSignedBytes)
{
    LiveSettings live(2.0f);
    const Bytes bytes = Written([](TFicheroITV& f) { Padding(4, -6, 7, 1000, -1000).SaveCompiled(f); });
    EXPECT_EQ((Bytes{2, 0xFD, 3, 127, 0x80}), bytes);
}

TEST(PaddingTest, CompiledRoundTripAtEachScale)
{
    struct Case {
        float scale;
        TPDAUIEnginePadding in;
        TPDAUIEnginePadding out;
    } cases[] = {
        {1.0f, Padding(-3, 0, 5, 127, 9), Padding(-3, 0, 5, 127, 9)},
        {1.5f, Padding(-3, 0, 6, 13, 9), Padding(-3, 0, 6, 12, 9)},
        {2.0f, Padding(-3, 1, 6, 13, 9), Padding(-2, 0, 6, 12, 8)},
        {2.0f, Padding(256, -256, 300, 0, 0), Padding(254, -256, 254, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale);
        LiveSettings live(c.scale);
        const Bytes bytes = Written([&](TFicheroITV& f) { c.in.SaveCompiled(f); });
        ASSERT_EQ(5u, bytes.size());
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        TPDAUIEnginePadding p;
        p.LoadCompiled(in);
        EXPECT_EQ(c.out.left, p.left);
        EXPECT_EQ(c.out.top, p.top);
        EXPECT_EQ(c.out.right, p.right);
        EXPECT_EQ(c.out.bottom, p.bottom);
        EXPECT_EQ(c.out.inner, p.inner);
    }
}

// ---- Key attribute ----

TEST(KeyAttributeTest, ParseTable)
{
    struct Case {
        const char* text;
        bool ctrl, alt, shift;
        int code;
    } cases[] = {
        {"ctrl+shift+vk_f3", true, false, true, 114},
        {"CTRL+SHIFT+VK_F3", true, false, true, 114},
        {"SHIFT+A", false, false, true, 65},
        {"shift+a", false, false, true, 65},  // upper-cased before reading
        {"VK_CANCEL", false, false, false, 27},
        {"ALT+VK_RETURN", false, true, false, 13},
        {"0", false, false, false, 48},       // the character
        {"5", false, false, false, 5},        // the number
        {"112", false, false, false, 112},
        {"123abc", false, false, false, 123},
        {"VK_F12", false, false, false, 'V'}, // no such name: its first character
        {"VK_TAB", false, false, false, 'V'},
        {"A+B", false, false, false, 66},     // a later key part wins
        {"CTRL", true, false, false, 0},
        {"CTRL++", true, false, false, 0},    // empty parts are skipped
        {"+ALT+", false, true, false, 0},
        {"\xE9", false, false, false, -55},   // 0xC9 after upper-casing, as a signed byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TPDAUIEngineKeyAttribute k;
        k.Parse(c.text);
        EXPECT_EQ(DString(c.text), k.keyName);
        EXPECT_EQ(c.ctrl, k.ctrl);
        EXPECT_EQ(c.alt, k.alt);
        EXPECT_EQ(c.shift, k.shift);
        EXPECT_EQ(c.code, k.keyCode);
    }
}

TEST(KeyAttributeTest, EveryKeyName)
{
    struct Name {
        const char* name;
        int code;
    } names[] = {
        {"VK_ADD", 107},     {"VK_SUBTRACT", 109}, {"VK_RETURN", 13},   {"VK_ESCAPE", 27},
        {"VK_RIGHT", 39},    {"VK_LEFT", 37},      {"VK_UP", 38},       {"VK_DOWN", 40},
        {"VK_CLEAR", 12},    {"VK_NUMPAD0", 96},   {"VK_NUMPAD1", 97},  {"VK_NUMPAD2", 98},
        {"VK_NUMPAD3", 99},  {"VK_NUMPAD4", 100},  {"VK_NUMPAD5", 101}, {"VK_NUMPAD6", 102},
        {"VK_NUMPAD7", 103}, {"VK_NUMPAD8", 104},  {"VK_NUMPAD9", 105}, {"VK_MULTIPLY", 106},
        {"VK_DECIMAL", 110}, {"VK_ACCEPT", 30},    {"VK_F1", 112},      {"VK_F2", 113},
        {"VK_F3", 114},      {"VK_F4", 115},       {"VK_F5", 116},      {"VK_F6", 117},
        {"VK_F7", 118},      {"VK_F8", 119},       {"VK_F9", 120},      {"VK_F10", 121},
        {"VK_F11", 122},     {"VK_END", 35},       {"VK_HOME", 36},     {"VK_PRIOR", 33},
        {"VK_NEXT", 34},     {"VK_CANCEL", 27},
    };
    for (const Name& n : names) {
        SCOPED_TRACE(n.name);
        TPDAUIEngineKeyAttribute k;
        k.Parse(DString("Ctrl+") + n.name);
        EXPECT_TRUE(k.ctrl);
        EXPECT_EQ(n.code, k.keyCode);
    }
}

TEST(KeyAttributeTest, ParsingAgainOnlyAddsToTheFlags)
{
    TPDAUIEngineKeyAttribute k;
    k.Parse("CTRL+A");
    k.Parse("B");
    EXPECT_TRUE(k.ctrl);
    EXPECT_EQ(66, k.keyCode);
    EXPECT_EQ(DString("B"), k.keyName);
    // An empty name is stored and changes nothing else.
    k.Parse("");
    EXPECT_TRUE(k.keyName.IsEmpty());
    EXPECT_TRUE(k.ctrl);
    EXPECT_EQ(66, k.keyCode);
}

TEST(KeyAttributeTest, CompiledFormIsTheNameParsedAgain)
{
    TPDAUIEngineKeyAttribute k;
    k.Parse("alt+VK_NEXT");
    const Bytes bytes = Written([&](TFicheroITV& f) { k.SaveCompiled(f); });
    const Bytes expected = {11, 0, 0, 0, 'a', 'l', 't', '+', 'V', 'K', '_', 'N', 'E', 'X', 'T'};
    EXPECT_EQ(expected, bytes);

    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineKeyAttribute back;
    back.LoadCompiled(in);
    EXPECT_FALSE(in.Error());
    EXPECT_EQ(DString("alt+VK_NEXT"), back.keyName);
    EXPECT_TRUE(back.alt);
    EXPECT_FALSE(back.ctrl || back.shift);
    EXPECT_EQ(34, back.keyCode);
}

TEST(KeyAttributeTest, HostileCompiledNameFailsCleanly)
{
    // A length far beyond the stream.
    const Bytes bytes = {0xFF, 0xFF, 0xFF, 0x7F, 'A'};
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineKeyAttribute k;
    k.LoadCompiled(in);
    EXPECT_TRUE(in.Error());
    EXPECT_TRUE(k.keyName.IsEmpty());
    EXPECT_EQ(0, k.keyCode);
}

TEST(UIScaleTest, ScaleAttributesAreBoundedAndReadBack)
{
    const struct {
        const char* text;
        float scale;
    } cases[] = {{"1.5", 1.5f}, {"0.1", 0.1f}, {"-2", -2.0f}, {"", 0.0f}, {nullptr, 0.0f},
                 {"nan", 0.0f}, {"inf", 0.0f}, {"1e30", 0.0f}, {"999999", 999999.0f}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.scale, TPDAUIEngineUIScale::Parse(c.text)) << (c.text ? c.text : "null");
        EXPECT_EQ(c.scale, TPDAUIEngineUIScale::Parse(TPDAUIEngineUIScale::Text(c.scale).c_str()));
    }
    EXPECT_STREQ("0.1", TPDAUIEngineUIScale::Text(0.1f).c_str());
}
