#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/DUString.h"

namespace {

std::string Bytes(const CDString& s)
{
    return std::string(s.c_str(), (size_t)s.Length());
}

// Readable right-to-left samples: capitals A..Z stand for Hebrew letters
// (U+05D0 upwards); everything else is itself.
std::u16string Heb(const char* text)
{
    std::u16string out;
    for (const char* p = text; *p; ++p)
        out += (*p >= 'A' && *p <= 'Z') ? (char16_t)(0x5D0 + (*p - 'A')) : (char16_t)(unsigned char)*p;
    return out;
}

TEST(CodePage, EveryByteSurvivesARoundTrip)
{
    for (int cp : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += (char)b;
        std::u16string u = CodePage::ToUtf16(all.data(), 256, cp);
        ASSERT_EQ(u.size(), 256u) << cp;
        std::string back;
        EXPECT_TRUE(CodePage::FromUtf16(u.data(), (int)u.size(), cp, back)) << cp;
        EXPECT_EQ(back, all) << cp;
    }
}

TEST(CodePage, KnownCharacters)
{
    struct Case {
        int codepage;
        unsigned char byte;
        char16_t code;
    } cases[] = {
        {1252, 0xBF, 0x00BF}, {1252, 0xE9, 0x00E9}, {1252, 0x80, 0x20AC}, {1252, 0x81, 0x0081},
        {1252, 0x9F, 0x0178}, {1255, 0xE0, 0x05D0}, {1255, 0xFA, 0x05EA}, {1255, 0xA4, 0x20AA},
        {1255, 0xC8, 0x05B8}, {1256, 0xC7, 0x0627}, {1256, 0xE1, 0x0644}, {1256, 0xBF, 0x061F},
        {1256, 0xE9, 0x00E9}, {1251, 0xC0, 0x0410}, {1253, 0xC1, 0x0391},
    };
    for (const Case& c : cases) {
        char b = (char)c.byte;
        EXPECT_EQ(CodePage::ToUtf16(&b, 1, c.codepage), std::u16string(1, c.code)) << c.codepage << " " << (int)c.byte;
        std::string out;
        EXPECT_TRUE(CodePage::EncodeChar(c.code, c.codepage, out));
        EXPECT_EQ(out, std::string(1, b));
    }
}

TEST(CodePage, Utf8AndFallbacks)
{
    EXPECT_EQ(CodePage::ToUtf16("\xC3\xA9", -1, 65001), u"\u00E9");
    EXPECT_EQ(CodePage::ToUtf16("\xF0\x9F\x98\x80", -1, 65001), u"\U0001F600");
    struct Bad {
        const char* bytes;
        std::u16string expected;
    } bad[] = {
        {"\xC3", u"\uFFFD"},                 // cut sequence
        {"a\x80z", u"a\uFFFDz"},             // stray continuation byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
    };
    for (const Bad& b : bad)
        EXPECT_EQ(CodePage::ToUtf16(b.bytes, -1, 65001), b.expected) << b.bytes;

    std::string out;
    std::u16string u = u"a\U0001F600\u00E9";
    EXPECT_TRUE(CodePage::FromUtf16(u.data(), (int)u.size(), 65001, out));
    EXPECT_EQ(out, "a\xF0\x9F\x98\x80\xC3\xA9");
    std::u16string lone = u"x\xD800y";
    EXPECT_FALSE(CodePage::FromUtf16(lone.data(), (int)lone.size(), 65001, out));
    EXPECT_EQ(out, "x?y");

    // Characters a page lacks become '?'; a surrogate pair is one '?'.
    std::u16string mixed = u"\u05D0\U0001F600a";
    EXPECT_FALSE(CodePage::FromUtf16(mixed.data(), (int)mixed.size(), 1252, out));
    EXPECT_EQ(out, "??a");

    // Unknown numbers are read as 1252.
    EXPECT_EQ(CodePage::Effective(12345), 1252);
    EXPECT_EQ(CodePage::ToUtf16("\xE9", -1, 12345), u"\u00E9");
    EXPECT_TRUE(CodePage::IsSupported(1255));
    EXPECT_FALSE(CodePage::IsSupported(12345));
    EXPECT_EQ(CodePage::ToUtf16(nullptr, 5, 1252), u"");
}

TEST(CodePage, DoubleBytePagesGoThroughIconv)
{
    // "日本" in Shift-JIS, then a byte that starts nothing.
    EXPECT_EQ(CodePage::ToUtf16("\x93\xFA\x96\x7B", -1, 932), u"\u65E5\u672C");
    EXPECT_EQ(CodePage::ToUtf16("a\x93", -1, 932), u"a\uFFFD");
    std::string out;
    std::u16string u = u"\u65E5x\u05D0";
    EXPECT_FALSE(CodePage::FromUtf16(u.data(), (int)u.size(), 932, out));
    EXPECT_EQ(out, "\x93\xFAx?");
}

TEST(CodePage, ConversionsFromManyThreads)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &failures] {
            int cp = (t % 4 == 0) ? 932 : (t % 4 == 1) ? 1255 : (t % 4 == 2) ? 1256 : 65001;
            const char* text = cp == 932 ? "\x93\xFA\x96\x7B" : cp == 65001 ? "\xC3\xA9" : "\xE0\xE1";
            std::u16string first = CodePage::ToUtf16(text, -1, cp);
            for (int i = 0; i < 200; ++i) {
                std::string back;
                if (CodePage::ToUtf16(text, -1, cp) != first ||
                    !CodePage::FromUtf16(first.data(), (int)first.size(), cp, back) || back != text)
                    ++failures[t];
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

TEST(DUString, MadeFromTextInItsCodePage)
{
    DString hebrew("\xF9\xEC\xE5\xED", 4, 1255);
    DUString u(hebrew);
    EXPECT_EQ(u.Text(), u"\u05E9\u05DC\u05D5\u05DD");
    EXPECT_EQ(Bytes(u.ToDString(1255)), "\xF9\xEC\xE5\xED");
    EXPECT_EQ(u.ToDString(1255).GetCodepage(), 1255);
    EXPECT_EQ(Bytes(u.ToDString(1252)), "????");

    DUString arabic(DString("\xC7\xE1\xD3\xE1\xC7\xE3", 6, 1256));
    EXPECT_EQ(arabic.Text(), u"\u0627\u0644\u0633\u0644\u0627\u0645");

    // A char* uses the default code page, which the language can change.
    EXPECT_EQ(DUString("\xE0").Text(), u"\u00E0");
    CodePage::SetDefault(1255);
    EXPECT_EQ(DUString("\xE0").Text(), u"\u05D0");
    EXPECT_EQ(DString().GetCodepage(), 1255);
    EXPECT_EQ(Bytes(DUString(u"\u05D0").ToDString()), "\xE0");
    CodePage::SetDefault(1252);
    EXPECT_EQ(DUString("\xE0", 1256).Text(), u"\u00E0");
    EXPECT_EQ(DUString("\xC3\xA9", 65001).Text(), u"\u00E9");
    EXPECT_TRUE(DUString((const char16_t*)nullptr).IsEmpty());
}

TEST(DUString, EditsStayInsideTheText)
{
    DUString u(u"abc");
    u.Insert(1, u'X');
    u.Insert(100, u"yz");
    u.Insert(-4, u'<');
    EXPECT_EQ(u.Text(), u"<aXbcyz");
    u.Delete(1, 2);
    u.Delete(-1, 2);
    u.Delete(10, 1);
    EXPECT_EQ(u.Text(), u"bcyz");
    EXPECT_EQ(u.SubString(1, 2).Text(), u"cy");
    EXPECT_EQ(u.SubString(3, 9).Text(), u"z");
    EXPECT_EQ(u.SubString(9).Text(), u"");
    EXPECT_EQ(u.Find(u'y'), 2);
    EXPECT_EQ(u.Find(u'y', 3), -1);
    EXPECT_EQ(u.Find(u"yz"), 2);
    EXPECT_EQ(u.Find(u"q"), -1);
    EXPECT_EQ(u[0], u'b');
    EXPECT_EQ(u[4], 0);
    u[7] = u'!';
    u[0] = u'B';
    EXPECT_EQ(u.Text(), u"Bcyz");
    u += u'.';
    u += DUString(u"..");
    EXPECT_EQ(u.Length(), 7);
    EXPECT_TRUE(DUString(u"ab") == DUString(u"ab"));
    EXPECT_TRUE(DUString(u"ab") != DUString(u"aB"));

    DUString cased(u"\u00E9t\u00E9 \u0434\u0430");
    cased.A_Mayusculas();
    EXPECT_EQ(cased.Text(), u"\u00C9T\u00C9 \u0414\u0410");
    cased.A_Minusculas();
    EXPECT_EQ(cased.Text(), u"\u00E9t\u00E9 \u0434\u0430");
}

TEST(DUString, ReverseKeepsSurrogatePairs)
{
    struct Case {
        std::u16string text;
        int start, length;
        std::u16string expected;
    } cases[] = {
        {u"abc", 0, -1, u"cba"},
        {u"abcdef", 1, 3, u"adcbef"},
        {u"abc", 2, 10, u"abc"},
        {u"", 0, -1, u""},
        {u"a\U0001F600b", 0, -1, u"b\U0001F600a"},
        {Heb("AB CD "), 0, 6, Heb(" DC BA")},
        {u"abc", -2, 2, u"bac"},
    };
    for (const Case& c : cases) {
        DUString u(c.text.c_str(), (int)c.text.size());
        u.Reverse(c.start, c.length);
        EXPECT_EQ(u.Text(), c.expected);
    }
}

TEST(DUString, ReverseFraseGivesDisplayOrder)
{
    struct Case {
        const char* logical;
        const char* display;
    } cases[] = {
        {"ABC", "CBA"},
        {"ABC DEF", "FED CBA"},
        {"ABC 123", "123 CBA"},
        {"ABC 12.5 DE", "ED 12.5 CBA"},
        {"AB 10:30, CD", "DC ,10:30 BA"},
        {"AB hello world CD", "DC hello world BA"},
        {"ABC def.", ".def CBA"},
        {"A (B)", "(B) A"},
        {"hello", "hello"},
        {"hello (x)", "hello (x)"},
        {"AB (cd) EF", "FE (cd) BA"},
        {"gps (3d) AB", "BA gps (3d)"},
        {"A (3)", "(3) A"},
        {"A [B (C] D", "D [C) B] A"},
        {"AB\nCD", "BA\nDC"},
        {"AB\n\nC", "BA\n\nC"},
        {"", ""},
        {"  A", "A  "},
    };
    for (const Case& c : cases) {
        std::u16string text = Heb(c.logical);
        DUString u(text.c_str(), (int)text.size());
        u.ReverseFrase();
        EXPECT_EQ(u.Text(), Heb(c.display)) << c.logical;
    }
}

TEST(DUString, ReverseFraseKeepsMarksAndShapedArabic)
{
    // A mark stays after its letter.
    DUString pointed(u"\u05D0\u05B8\u05D1");
    pointed.ReverseFrase();
    EXPECT_EQ(pointed.Text(), u"\u05D1\u05D0\u05B8");

    // Presentation forms (already shaped text) read right to left; Arabic-Indic
    // digits keep their order.
    DUString shaped(u"\uFEFB\uFE8E \u0661\u0662 \uFEE3");
    shaped.ReverseFrase();
    EXPECT_EQ(shaped.Text(), u"\uFEE3 \u0661\u0662 \uFE8E\uFEFB");

    // Only the given range moves.
    std::u16string text = Heb("xx AB yy");
    DUString part(text.c_str(), (int)text.size());
    part.ReverseFrase(3, 2);
    EXPECT_EQ(part.Text(), Heb("xx BA yy"));
    part.ReverseFrase(50, 3);
    EXPECT_EQ(part.Text(), Heb("xx BA yy"));

    // A supplementary right-to-left letter is one character.
    DUString wide(u"\U00010900\u05D0");
    wide.ReverseFrase();
    EXPECT_EQ(wide.Text(), u"\u05D0\U00010900");
}

} // namespace
