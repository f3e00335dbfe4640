#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/DString.h"

namespace {

std::string Bytes(const CDString& s)
{
    return std::string(s.c_str(), (size_t)s.Length());
}

std::vector<std::string> Words(const Vector<DString>& v)
{
    std::vector<std::string> out;
    for (int i = 0; i < v.Count(); ++i)
        out.push_back(Bytes(v[i]));
    return out;
}

DString InPage(const char* bytes, int codepage)
{
    DString s(bytes);
    s.SetCodepage(codepage);
    return s;
}

TEST(DString, ConstructionAndCopies)
{
    DString empty;
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_STREQ(empty.c_str(), "");
    EXPECT_EQ(empty.GetCodepage(), CodePage::Western);

    DString fromNull((const char*)nullptr);
    EXPECT_TRUE(fromNull.IsEmpty());

    DString withNul("a\0b", 3);
    EXPECT_EQ(withNul.Length(), 3);
    EXPECT_EQ(withNul[2], 'b');

    DString number(-42);
    EXPECT_EQ(number, "-42");

    DString hebrew("\xE0\xE1", 2, CodePage::Hebrew);
    DString copy(hebrew);
    EXPECT_EQ(copy.GetCodepage(), CodePage::Hebrew);
    EXPECT_EQ(Bytes(copy), "\xE0\xE1");
    EXPECT_NE(copy.c_str(), hebrew.c_str()); // its own bytes

    DString moved(std::move(copy));
    EXPECT_EQ(Bytes(moved), "\xE0\xE1");
    EXPECT_TRUE(copy.IsEmpty());
    copy << "reused";
    EXPECT_EQ(copy, "reused");

    DString assigned("x");
    assigned = hebrew;
    EXPECT_EQ(assigned.GetCodepage(), CodePage::Hebrew);
    assigned = "plain";
    EXPECT_EQ(assigned.GetCodepage(), CodePage::Hebrew); // text assignment keeps the page
    assigned = assigned.c_str() + 2;                     // from its own bytes
    EXPECT_EQ(assigned, "ain");
}

TEST(DString, InsertionOperators)
{
    struct Case {
        std::function<void(DString&)> append;
        const char* expected;
    } cases[] = {
        {[](DString& s) { s << 0; }, "0"},
        {[](DString& s) { s << INT_MIN; }, "-2147483648"},
        {[](DString& s) { s << 4294967295u; }, "4294967295"},
        {[](DString& s) { s << (short)-7; }, "-7"},
        {[](DString& s) { s << (unsigned long)4000000000UL; }, "4000000000"},
        {[](DString& s) { s << LLONG_MIN; }, "-9223372036854775808"},
        {[](DString& s) { s << LLONG_MAX << ' ' << -10LL << ' ' << 9L; }, "9223372036854775807 -10 9"},
        {[](DString& s) { s << ULLONG_MAX << ' ' << 10ULL; }, "18446744073709551615 10"},
        {[](DString& s) { s << 1.5f; }, "1.5"},
        {[](DString& s) { s << 100.0f; }, "100"},
        {[](DString& s) { s << 0.1f; }, "0.1"},
        {[](DString& s) { s << -0.25f; }, "-0.25"},
        {[](DString& s) { s << 2.0 / 3.0; }, "0.666666666666667"},
        {[](DString& s) { s << true << ',' << false; }, "true,false"},
        {[](DString& s) { s << (unsigned char)200; }, "200"}, // a byte value prints as a number
        {[](DString& s) { s << "a" << DString("b") << CDString("c") << 'd'; }, "abcd"},
        {[](DString& s) { s << (const char*)nullptr; }, ""},
    };
    for (const Case& c : cases) {
        DString s;
        c.append(s);
        EXPECT_EQ(Bytes(s), c.expected);
    }
    DString self("ab");
    self << self;
    self += self.c_str() + 1;
    EXPECT_EQ(self, "ababbab");
}

TEST(DString, SustituyeReplacesEveryOccurrence)
{
    struct Case {
        const char* text;
        const char* from;
        const char* to;
        const char* expected;
        int count;
    } cases[] = {
        {"skin.bmp", ".bmp", ".cbmp", "skin.cbmp", 1},
        {"a.bmp;b.bmp", ".bmp", ".cbmp", "a.cbmp;b.cbmp", 2},
        {"Arial-Regular.ttf", "-Regular", "", "Arial.ttf", 1},
        {"aaaa", "aa", "b", "bb", 2},
        {"aaa", "aa", "a", "aa", 1},       // left to right, no overlap
        {"ab", "a", "aa", "aab", 1},       // the inserted text is not searched again
        {"xyz", "q", "r", "xyz", 0},
        {"", "a", "b", "", 0},
        {"abc", "", "x", "abc", 0},
        {"a\xBF" "b", "\xBF", "?", "a?b", 1},
        {"abcabc", "abc", nullptr, "", 2},
        {"one two", "one two", "three four five", "three four five", 1},
    };
    for (const Case& c : cases) {
        DString s(c.text);
        EXPECT_EQ(s.Sustituye(c.from, c.to), c.count) << c.text;
        EXPECT_EQ(Bytes(s), c.expected) << c.text;
    }
    DString s("abc");
    EXPECT_EQ(s.Sustituye(nullptr, "x"), 0);
}

TEST(DString, CaseChangeFollowsTheCodePage)
{
    struct Case {
        int codepage;
        const char* lower;
        const char* upper;
    } cases[] = {
        {1252, "abc xyz 09", "ABC XYZ 09"},
        {1252, "\xE0\xE9\xEE\xF5\xFC\xE7\xF1\xFE", "\xC0\xC9\xCE\xD5\xDC\xC7\xD1\xDE"},
        {1252, "\x9A\x9E\x9C\xFF", "\x8A\x8E\x8C\x9F"}, // š ž œ ÿ
        {1251, "\xE0\xE1\xE2\xFF\xB8", "\xC0\xC1\xC2\xDF\xA8"}, // а б в я ё
        {1253, "\xE1\xE2\xE3", "\xC1\xC2\xC3"},                 // α β γ
        {1250, "\xB9\x9A\xE8", "\xA5\x8A\xC8"},                 // ą š č
        {65001, "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},      // été in UTF-8
        {65001, "\xD0\xB4\xD0\xB0", "\xD0\x94\xD0\x90"},        // да
    };
    for (const Case& c : cases) {
        DString s = InPage(c.lower, c.codepage);
        s.A_Mayusculas();
        EXPECT_EQ(Bytes(s), c.upper) << c.codepage << " " << c.lower;
        s.A_Minusculas();
        EXPECT_EQ(Bytes(s), c.lower) << c.codepage << " " << c.upper;
    }
    // Bytes without a case partner stay as they are.
    struct Fixed {
        int codepage;
        const char* text;
    } fixed[] = {
        {1252, "\xDF\xB5\xD7\xF7\xBF"},   // ß µ × ÷ ¿
        {1255, "\xE0\xE1\xFA"},           // Hebrew letters
        {1256, "\xC7\xE1\xC0"},           // Arabic letters where 1252 has capitals
        {65001, "\xC3"},                  // a cut UTF-8 sequence
    };
    for (const Fixed& f : fixed) {
        DString s = InPage(f.text, f.codepage);
        s.A_Mayusculas();
        EXPECT_EQ(Bytes(s), f.text) << f.codepage;
        s.A_Minusculas();
        EXPECT_EQ(Bytes(s), f.text) << f.codepage;
    }
    DString mixed = InPage("\xE0" "A", 1256); // à exists in 1256, its capital does not
    mixed.A_Mayusculas();
    EXPECT_EQ(Bytes(mixed), "\xE0" "A");
    mixed.A_Minusculas();
    EXPECT_EQ(Bytes(mixed), "\xE0" "a");
}

TEST(DString, Comparisons)
{
    EXPECT_TRUE(DString("abc") == "abc");
    EXPECT_TRUE("abc" == DString("abc"));
    EXPECT_TRUE(DString("abc") != DString("abd"));
    EXPECT_TRUE(DString("ab") < DString("abc"));
    EXPECT_TRUE(DString("a") < DString("\xE9")); // bytes compare unsigned
    EXPECT_FALSE(DString("a\0b", 3) == "a");     // length counts
    EXPECT_LT(DString("refreshButtons").Strcmp("refreshbuttons"), 0);
    EXPECT_EQ(DString("x").Strcmp((const char*)nullptr), 1);

    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"Arial", "arial", 0}, {"\xC9t\xC9", "\xE9t\xE9", 0}, {"abc", "abd", -1},
        {"b", "A", 1},         {"abc", "abcd", -1},            {"", "", 0},
        {nullptr, "", 0},      {"\xDF", "\xDF", 0},
    };
    for (const Case& c : cases) {
        int r = Dstrcmpi(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << (c.a ? c.a : "(null)") << " / " << c.b;
        int back = Dstrcmpi(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign);
    }
    EXPECT_EQ(InPage("\xD0\x94", 65001).Strcmpi("\xD0\xB4"), 0);

    // UTF-8: all-ASCII pairs and pairs with other letters order alike.
    const Case utf8[] = {
        {"Arial", "ARIAL", 0},  {"a[", "A_", -1},          {"Z", "a", 1},
        {"@", "`", -1},         {"abc", "ABCD", -1},       {"", "A", -1},
        {"\xD0\x94x", "\xD0\xB4X", 0}, {"a", "\xC3\xA9", -1}, {"\xC3\x89" "a", "\xC3\xA9" "B", -1},
    };
    for (const Case& c : utf8) {
        int r = InPage(c.a, 65001).Strcmpi(c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " / " << c.b;
        int back = InPage(c.b, 65001).Strcmpi(c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " / " << c.a;
    }
}

TEST(CDString, FindAndSubString)
{
    CDString text("Arial.cfont.cfont");
    struct Case {
        const char* what;
        int from;
        int expected;
    } cases[] = {
        {".cfont", 0, 5}, {".cfont", 6, 11}, {".cfont", 12, -1}, {".ttf", 0, -1},
        {"", 0, 0},       {"", 17, 17},      {"A", 18, -1},       {"A", -1, -1},
        {nullptr, 0, -1}, {"Arial.cfont.cfontX", 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text.strstr(c.what, c.from), c.expected) << (c.what ? c.what : "(null)") << " @" << c.from;
    EXPECT_EQ(text.strchr('.'), 5);
    EXPECT_EQ(text.strrchr('.'), 11);
    EXPECT_EQ(text.strchr('z'), -1);
    EXPECT_TRUE(text.StartsWith("Arial"));
    EXPECT_TRUE(text.EndsWith(".cfont"));
    EXPECT_FALSE(text.EndsWith("Arial.cfont.cfont.cfont"));

    struct Sub {
        int start, length;
        const char* expected;
    } subs[] = {
        {0, 5, "Arial"}, {6, -1, "cfont.cfont"}, {12, 100, "cfont"}, {-3, 2, "Ar"}, {17, 1, ""}, {40, 2, ""},
        {3, 0, ""},
    };
    for (const Sub& s : subs)
        EXPECT_EQ(Bytes(text.SubString(s.start, s.length)), s.expected) << s.start << "," << s.length;
    EXPECT_EQ(InPage("\xE0\xE1", 1255).SubString(1).GetCodepage(), 1255);

    EXPECT_EQ(text[0], 'A');
    EXPECT_EQ(text[17], 0);
    EXPECT_EQ(text[-1], 0);
    DString w("ab");
    w[5] = 'x'; // lost, never written outside
    w[1] = 'c';
    EXPECT_EQ(w, "ac");
}

TEST(CDString, AtoiReadsLeadingDecimal)
{
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"12.7", 12},        {"", 0},          {"  -42px", -42}, {"+7", 7},
        {"abc", 0},          {"-", 0},         {"\t5", 5},       {"007", 7},
        {"2147483647", INT_MAX}, {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN}, {"1 2", 1}, {"--1", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDString(c.text).atoi(), c.expected) << c.text;
}

TEST(CDString, SplitsIntoWords)
{
    struct Case {
        const char* text;
        const char* separators;
        bool noBlanks;
        std::vector<std::string> expected;
    } cases[] = {
        {"Solid 2 #FF0000", " ", false, {"Solid", "2", "#FF0000"}},
        {"box  button.big ", " ", false, {"box", "button.big"}},
        {",a,,b,", ",", false, {"a", "b"}},
        {"a;b,c d", ";,", false, {"a", "b", "c d"}},
        {"", " ", false, {}},
        {"   ", " ", false, {}},
        {"whole", " ", false, {"whole"}},
        {"x y", "", false, {"x y"}},
        {"\xBF" "ABC|#123|@QWERTY", "|", false, {"\xBF" "ABC", "#123", "@QWERTY"}},
        {"10, 20 ,30", ",", true, {"10", "20", "30"}},
        {" 1 2\t3   4 ", "", true, {"1", "2", "3", "4"}},
        {"5 6", nullptr, true, {"5", "6"}},
    };
    for (const Case& c : cases) {
        Vector<DString> words(10, 10);
        words.Add(DString("stale"));
        CDString text(c.text);
        int n = c.noBlanks ? text.Separa_En_Palabras_SinEspacios(c.separators, words)
                           : text.Separa_En_Palabras(c.separators, words);
        EXPECT_EQ(n, (int)c.expected.size()) << c.text;
        EXPECT_EQ(Words(words), c.expected) << c.text;
    }
    Vector<DString> words;
    InPage("\xE0 \xE1", 1255).Separa_En_Palabras(" ", words);
    ASSERT_EQ(words.Count(), 2);
    EXPECT_EQ(words[1].GetCodepage(), 1255);
}

TEST(CDString, StrstrposWithOptions)
{
    struct Case {
        const char* text;
        const char* what;
        int from;
        bool wholeWord, ignoreCase, ignoreAccents;
        int expected;
    } cases[] = {
        {"Le caf\xE9 noir", "CAFE", 0, false, true, true, 3},
        {"Le caf\xE9 noir", "CAFE", 0, false, true, false, -1},
        {"Le caf\xE9 noir", "CAF\xC9", 0, false, true, false, 3},
        {"Le caf\xE9 noir", "cafe", 0, false, false, true, 3},
        {"Le caf\xE9 noir", "NOIR", 4, false, true, true, 8},
        {"Le caf\xE9 noir", "LE", 1, false, true, true, -1},
        {"Stra\xDF" "e Nord", "STRASSE", 0, false, true, true, 0},
        {"Stra\xDF" "e Nord", "NORD", 0, false, true, true, 7},
        {"Stra\xDF" "e Nord", "SS", 0, false, true, true, 4},
        {"Stra\xDF" "e", "SE", 0, false, true, true, -1}, // only whole characters match
        {"catalog cat", "cat", 0, true, false, false, 8},
        {"catalog cat", "CAT", 0, true, true, false, 8},
        {"catalog", "cat", 0, true, false, false, -1},
        {"Madrid", "", 2, false, true, true, 2},
        {"abc", "abc", 4, false, false, false, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDString(c.text).strstrpos(c.what, c.from, c.wholeWord, c.ignoreCase, c.ignoreAccents),
                  c.expected)
            << c.text << " / " << c.what;
    EXPECT_EQ(InPage("Caf\xC3\xA9 Z\xC3\xBCrich", 65001).strstrpos("ZURICH", 0, false, true, true), 6);
}

TEST(CDString, GetParamTakesTextBetweenKeyAndEndMark)
{
    CDString args("/service=Nimbox /fitx=C:\\a b.txt!@/msg=Hello {E1}!@/command=42 /UICommand=do it#@#/providerId=7");
    struct Case {
        const char* key;
        const char* end;
        const char* expected;
    } cases[] = {
        {"/service=", " ", "Nimbox"},
        {"/fitx=", "!@", "C:\\a b.txt"},
        {"/msg=", "!@", "Hello {E1}"},
        {"/command=", " ", "42"},
        {"/UICommand=", "#@#", "do it"},
        {"/providerId=", "!@", "7"}, // no end mark: to the end
        {"/absent=", " ", ""},
        {"/service=", "", "Nimbox /fitx=C:\\a b.txt!@/msg=Hello {E1}!@/command=42 /UICommand=do it#@#/providerId=7"},
        {nullptr, " ", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(args.GetParam(c.key, c.end)), c.expected) << (c.key ? c.key : "(null)");
    EXPECT_EQ(args.GetParam("/command=", " ").atoi(), 42);
}

TEST(DString, MenuLabelHelpers)
{
    struct Case {
        const char* text;
        const char* noAmpersand;
        const char* firstCapital;
    } cases[] = {
        {"&File", "File", "&File"},
        {"save && exit", "save & exit", "Save && exit"},
        {"end&", "end", "End&"},
        {"a&&&b", "a&b", "A&&&b"},
        {"", "", ""},
        {"  go", "  go", "  Go"},
        {"3 ways", "3 ways", "3 ways"},
        {"\xBFqu\xE9?", "\xBFqu\xE9?", "\xBFQu\xE9?"},
        {"\xE9" "clair", "\xE9" "clair", "\xC9" "clair"},
    };
    for (const Case& c : cases) {
        DString a(c.text);
        a.Elimina_Umpersand();
        EXPECT_EQ(Bytes(a), c.noAmpersand) << c.text;
        DString b(c.text);
        b.Primera_Letra_Mayusculas();
        EXPECT_EQ(Bytes(b), c.firstCapital) << c.text;
    }
}

TEST(DString, SimplificaAcentosEnyesEtc)
{
    struct Case {
        int codepage;
        std::u16string text;
        const char* expected;
    } cases[] = {
        {1252, u"\u00D1and\u00FA", "Nandu"},
        {1252, u"na\u00EFve fa\u00E7ade", "naive facade"},
        {1252, u"\u00C6sir \u0152uvre stra\u00DFe", "AEsir OEuvre strasse"},
        {1252, u"\u0160\u017D\u0178 \u00BF?", "SZY \xBF?"},
        {1250, u"\u0141\u00F3d\u017A \u010Ce\u0161", "Lodz Ces"},
        {65001, u"Z\u00FCrich \u00C5", "Zurich A"},
        {65001, u"e\u0301", "e"}, // combining accent dropped
        {1252, u"", ""},
    };
    for (const Case& c : cases) {
        DString s;
        s.SetCodepage(c.codepage);
        s.Lee_Unicode(c.text.c_str(), (int)c.text.size());
        s.SimplificaAcentosEnyesEtc();
        EXPECT_EQ(Bytes(s), c.expected);
    }
    // Hebrew points and Arabic vowel marks go; the letters stay.
    struct Rtl {
        int codepage;
        std::u16string text;
        std::u16string expected;
    } rtl[] = {
        {1255, u"\u05E9\u05B8\u05C1\u05DC\u05D5\u05B9\u05DD", u"\u05E9\u05DC\u05D5\u05DD"},
        {1256, u"\u0643\u064E\u062A\u064E\u0628\u064E", u"\u0643\u062A\u0628"},
    };
    for (const Rtl& r : rtl) {
        DString s;
        s.SetCodepage(r.codepage);
        ASSERT_TRUE(s.Lee_Unicode(r.text.c_str(), (int)r.text.size()));
        s.SimplificaAcentosEnyesEtc();
        EXPECT_EQ(CodePage::ToUtf16(s.c_str(), s.Length(), r.codepage), r.expected) << r.codepage;
    }
}

TEST(DString, LeeUnicodeEncodesInTheStringsCodePage)
{
    struct Case {
        int codepage;
        unsigned int code;
        const char* expected;
        bool ok;
    } cases[] = {
        {1252, 0xE9, "\xE9", true},    {1252, 0xBF, "\xBF", true},   {1252, 0x20AC, "\x80", true},
        {1252, 'A', "A", true},        {1252, 0x5D0, "?", false},   {1255, 0x5D0, "\xE0", true},
        {1255, 0x5EA, "\xFA", true},   {1256, 0x627, "\xC7", true}, {1256, 0x644, "\xE1", true},
        {1256, 0x61F, "\xBF", true},   {65001, 0xE9, "\xC3\xA9", true},
        {65001, 0x1F600, "\xF0\x9F\x98\x80", true}, {65001, 0xD800, "?", false},
        {1252, 0x110000, "?", false},
    };
    for (const Case& c : cases) {
        DString s("previous");
        s.SetCodepage(c.codepage);
        EXPECT_EQ(s.Lee_Unicode(c.code), c.ok) << c.codepage << " " << c.code;
        EXPECT_EQ(Bytes(s), c.expected) << c.codepage << " " << c.code;
        EXPECT_EQ(s.GetCodepage(), c.codepage);
    }
}

TEST(DString, DsprintfIsSafeWithAnyFormat)
{
    struct Case {
        std::function<void(DString&)> format;
        std::string expected;
    } cases[] = {
        {[](DString& s) { s.Dsprintf("%d elements", 5); }, "5 elements"},
        {[](DString& s) { s.Dsprintf("(%s)", "x"); }, "(x)"},
        {[](DString& s) { s.Dsprintf("%s", 5); }, "5"},
        {[](DString& s) { s.Dsprintf("%d", "text"); }, "text"},
        {[](DString& s) { s.Dsprintf("%s|%s", DString("a"), 2.5); }, "a|2.5"},
        {[](DString& s) { s.Dsprintf("%d and %d", 1); }, "1 and "},
        {[](DString& s) { s.Dsprintf("%n%d", 3, 4); }, "4"},
        {[](DString& s) { s.Dsprintf("%5.2f", 3.14159); }, " 3.14"},
        {[](DString& s) { s.Dsprintf("%-4d|%04d", 7, 42); }, "7   |0042"},
        {[](DString& s) { s.Dsprintf("%x %X %o", 255, 255, 8); }, "ff FF 10"},
        {[](DString& s) { s.Dsprintf("%u", -1); }, "4294967295"},
        {[](DString& s) { s.Dsprintf("%c%c", 'O', 75); }, "OK"},
        {[](DString& s) { s.Dsprintf("100%%"); }, "100%"},
        {[](DString& s) { s.Dsprintf("%*d", 3, 7); }, "  7"},
        {[](DString& s) { s.Dsprintf("%ld %lld %hd", 5L, 6LL, (short)7); }, "5 6 7"},
        {[](DString& s) { s.Dsprintf("%d", 3.9); }, "3"},
        {[](DString& s) { s.Dsprintf("%.2f", 2); }, "2.00"},
        {[](DString& s) { s.Dsprintf("%y%", 1); }, "%y%"},
        {[](DString& s) { s.Dsprintf("%s", (const char*)nullptr); }, ""},
        {[](DString& s) { s.Dsprintf(nullptr, 1); }, ""},
        {[](DString& s) { s.Dsprintf("%.3s", "abcdef"); }, "abc"},
        {[](DString& s) { s.Dsprintf("%u", 4000000000u); }, "4000000000"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        DString s("old");
        cases[i].format(s);
        EXPECT_EQ(Bytes(s), cases[i].expected) << "case " << i;
    }
    // Huge widths and precisions are capped instead of exhausting memory.
    DString wide;
    wide.Dsprintf("%999999999d", 1);
    EXPECT_EQ(wide.Length(), 4096);
    wide.Dsprintf("%.999999999f", 1.0);
    EXPECT_EQ(wide.Length(), 4098);
}

TEST(DString, EditingKeepsWithinTheText)
{
    DString s("hello");
    s.Insert(0, ">");
    s.Insert(100, "<");
    s.Insert(-5, "[");
    EXPECT_EQ(s, "[>hello<");
    s.Delete(1, 1);
    s.Delete(-2, 3);
    s.Delete(4, 100);
    s.Delete(50, 1);
    EXPECT_EQ(s, "hell");
    s.SetLength(5);
    EXPECT_EQ(s.Length(), 5);
    EXPECT_EQ(s[4], 0);
    s.SetLength(-1);
    EXPECT_TRUE(s.IsEmpty());

    struct Trim {
        const char* text;
        const char* expected;
    } trims[] = {{"  a b \t", "a b"}, {"   ", ""}, {"", ""}, {"x", "x"}, {"\t\tx y", "x y"}};
    for (const Trim& t : trims)
        EXPECT_EQ(Bytes(DString(t.text).Trim()), t.expected) << t.text;
    EXPECT_EQ(Bytes(DString("xxaxx").Trim("x")), "a");

    DString joined = DString("a") + "b" + CDString("c");
    EXPECT_EQ(joined, "abc");
    EXPECT_EQ(Bytes("z" + InPage("\xE0", 1255)), "z\xE0");
    EXPECT_EQ(("z" + InPage("\xE0", 1255)).GetCodepage(), 1255);
}

// Text of n bytes with NULs among them, so that no step may stop at a NUL.
std::string Sample(size_t n, char first = 'a')
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += i % 5 == 2 ? '\0' : char(first + i % 26);
    return s;
}

// How a string came to hold its text decides where the bytes are and how much
// room is left after them.
enum class Made { Exact, ByteByByte, Shrunk };

DString Make(const std::string& bytes, Made how = Made::Exact)
{
    if (how == Made::ByteByByte) {
        DString s;
        for (char c : bytes)
            s << c;
        return s;
    }
    if (how == Made::Shrunk) {
        DString s = Make(bytes + Sample(40));
        s.SetLength((int)bytes.size());
        return s;
    }
    return DString(bytes.data(), (int)bytes.size());
}

// The bytes, the NUL after them, and str() writing the same bytes.
void ExpectText(DString& s, const std::string& expected, const std::string& context)
{
    ASSERT_EQ(Bytes(s), expected) << context;
    EXPECT_EQ(s.c_str()[s.Length()], '\0') << context;
    EXPECT_EQ(s.str(), s.c_str()) << context;
}

// Short texts live inside the string and longer ones on the heap: each edit is
// tried from both sides of the 15/16-byte limit and across it, twice over.
TEST(DString, EditsAcrossTheInlineLimit)
{
    const std::string sixteen = Sample(16, 'A');
    struct Edit {
        const char* name;
        std::function<void(DString&)> edit;
        std::function<void(std::string&)> model;
    } edits[] = {
        {"append a byte", [](DString& s) { s << 'x'; }, [](std::string& m) { m += 'x'; }},
        {"append 16 bytes", [&](DString& s) { s.Append(sixteen.data(), 16); }, [&](std::string& m) { m += sixteen; }},
        {"append itself", [](DString& s) { s << s; }, [](std::string& m) { m += std::string(m); }},
        {"append its tail",
         [](DString& s) { s.Append(s.c_str() + s.Length() / 2, s.Length() - s.Length() / 2); },
         [](std::string& m) { m += m.substr(m.size() / 2); }},
        {"insert at the start", [](DString& s) { s.Insert(0, "x\0y", 3); }, [](std::string& m) { m.insert(0, "x\0y", 3); }},
        {"insert itself in the middle",
         [](DString& s) { s.Insert(s.Length() / 2, s.c_str(), s.Length()); },
         [](std::string& m) { m.insert(m.size() / 2, std::string(m)); }},
        {"insert its own tail at the start",
         [](DString& s) { s.Insert(0, s.c_str() + 1, s.Length() - 1); },
         [](std::string& m) {
             if (m.size() > 1)
                 m.insert(0, m.substr(1));
         }},
        {"delete the first byte", [](DString& s) { s.Delete(0, 1); }, [](std::string& m) { m.erase(0, 1); }},
        {"delete from 15 on", [](DString& s) { s.Delete(15, 100); },
         [](std::string& m) {
             if (m.size() > 15)
                 m.erase(15);
         }},
        {"delete the middle", [](DString& s) { s.Delete(2, s.Length() - 4); },
         [](std::string& m) {
             if (m.size() > 4)
                 m.erase(2, m.size() - 4);
         }},
        {"set length 15", [](DString& s) { s.SetLength(15); }, [](std::string& m) { m.resize(15); }},
        {"set length 16", [](DString& s) { s.SetLength(16); }, [](std::string& m) { m.resize(16); }},
        {"set length one more", [](DString& s) { s.SetLength(s.Length() + 1); }, [](std::string& m) { m.resize(m.size() + 1); }},
        {"set length 0", [](DString& s) { s.SetLength(0); }, [](std::string& m) { m.clear(); }},
        {"empty", [](DString& s) { s.Empty(); }, [](std::string& m) { m.clear(); }},
        {"assign 15 letters", [](DString& s) { s = "abcdefghijklmno"; }, [](std::string& m) { m = "abcdefghijklmno"; }},
        {"assign 16 letters", [](DString& s) { s = "abcdefghijklmnop"; }, [](std::string& m) { m = "abcdefghijklmnop"; }},
        {"assign a view with NULs",
         [&](DString& s) { s = CDString(sixteen.data(), 16, CodePage::Western); },
         [&](std::string& m) { m = sixteen; }},
        {"assign its own tail as a view",
         [](DString& s) { s = CDString(s.c_str() + 1, s.Length() - 1, s.GetCodepage()); },
         [](std::string& m) { m = m.size() > 1 ? m.substr(1) : ""; }},
        {"assign its own bytes as text",
         [](DString& s) { s = s.c_str() + (s.Length() > 0 ? 1 : 0); },
         [](std::string& m) { m = m.empty() ? "" : std::string(m.c_str() + 1); }},
        {"copy to itself",
         [](DString& s) {
             DString& same = s;
             s = same;
         },
         [](std::string&) {}},
        {"move to itself",
         [](DString& s) {
             DString& same = s;
             s = std::move(same);
         },
         [](std::string&) {}},
        {"copy from a copy", [](DString& s) { s = DString(s) + s; }, [](std::string& m) { m += std::string(m); }},
        {"replace a byte by three", [](DString& s) { s.Sustituye("a", "xyz"); },
         [](std::string& m) {
             for (size_t p = m.find('a'); p != std::string::npos; p = m.find('a', p + 3))
                 m.replace(p, 1, "xyz");
         }},
        {"upper case", [](DString& s) { s.A_Mayusculas(); },
         [](std::string& m) {
             for (char& c : m)
                 if (c >= 'a' && c <= 'z')
                     c = char(c - 'a' + 'A');
         }},
        {"trim", [](DString& s) { s.Trim("ab"); },
         [](std::string& m) {
             const size_t first = m.find_first_not_of("ab");
             m = first == std::string::npos ? "" : m.substr(first, m.find_last_not_of("ab") - first + 1);
         }},
    };
    for (Made how : {Made::Exact, Made::ByteByByte, Made::Shrunk}) {
        for (size_t length : {0, 1, 5, 14, 15, 16, 17, 20, 31, 32, 40}) {
            for (const Edit& e : edits) {
                DString s = Make(Sample(length), how);
                std::string model = Sample(length);
                for (int round = 1; round <= 2; ++round) {
                    e.edit(s);
                    e.model(model);
                    ExpectText(s, model,
                               std::string(e.name) + " on " + std::to_string(length) + " bytes made " +
                                   std::to_string((int)how) + ", round " + std::to_string(round));
                }
            }
        }
    }
}

// Copies and moves own their bytes: a short text is not left pointing at the
// string it came from.
TEST(DString, CopiesMovesAndSwapsOwnTheirBytes)
{
    for (Made how : {Made::Exact, Made::Shrunk}) {
        for (size_t length : {0, 1, 15, 16, 40}) {
            const std::string text = Sample(length);
            const std::string context = std::to_string(length) + " bytes made " + std::to_string((int)how);

            DString copied;
            DString moved;
            DString copyAssigned = Make(Sample(40, 'A')); // replaces a heap block
            DString moveAssigned = Make(Sample(3, 'A'));
            {
                DString source = Make(text, how);
                DString forCopy(source);
                copied = forCopy;
                if (length > 0) {
                    forCopy.str()[0] = '#';
                    EXPECT_EQ(source[0], 'a') << context;
                }
                DString copy(source);
                copyAssigned = source;
                moved = std::move(copy);
                EXPECT_TRUE(copy.IsEmpty()) << context;
                EXPECT_EQ(copy.c_str()[0], '\0') << context;
                copy << "reused after the move";
                EXPECT_EQ(copy, "reused after the move");
                DString other = Make(text, how);
                moveAssigned = std::move(other);
                EXPECT_TRUE(other.IsEmpty()) << context;
                source = "overwritten source bytes";
                other = "overwritten";
            }
            ExpectText(copied, text, "copy, " + context);
            ExpectText(moved, text, "move, " + context);
            ExpectText(copyAssigned, text, "copy assignment, " + context);
            ExpectText(moveAssigned, text, "move assignment, " + context);
        }
    }

    const size_t lengths[] = {0, 3, 15, 16, 40};
    for (size_t a : lengths) {
        for (size_t b : lengths) {
            DString x = Make(Sample(a, 'a'));
            DString y = Make(Sample(b, 'A'));
            x.SetCodepage(CodePage::Hebrew);
            std::swap(x, y);
            const std::string context = std::to_string(a) + " and " + std::to_string(b) + " bytes";
            ExpectText(x, Sample(b, 'A'), "swap, " + context);
            ExpectText(y, Sample(a, 'a'), "swap, " + context);
            EXPECT_EQ(y.GetCodepage(), CodePage::Hebrew) << context;
        }
    }

    // Growing a std::vector moves its strings to a new array.
    std::vector<DString> many;
    for (int i = 0; i < 100; ++i)
        many.push_back(Make(Sample((size_t)i % 20)) << i);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(Bytes(many[(size_t)i]), Sample((size_t)i % 20) + std::to_string(i)) << i;
}

// AssignFrom16 reads 16 bytes whatever the length: what lies past the length
// (here NULs and letters) must not show, whether the string held a short text,
// a heap block or a shrunk one, and the code page is the one given.
TEST(DString, AssignFrom16TakesOnlyLengthBytes)
{
    const std::string buffer = Sample(20, 'k') + std::string(4, '\0') + Sample(40, 'K');
    for (Made how : {Made::Exact, Made::Shrunk}) {
        for (size_t before : {0, 7, 15, 16, 40}) {
            for (int length : {0, 1, 3, 14, 15, 16, 17, 30}) {
                for (size_t from : {0, 18}) {
                    const std::string context = std::to_string(before) + " bytes before, " +
                                                std::to_string(length) + " taken at " + std::to_string(from) +
                                                ", made " + std::to_string((int)how);
                    DString s = Make(Sample(before, 'z'), how);
                    s.AssignFrom16(buffer.data() + from, length, CodePage::Hebrew);
                    ExpectText(s, buffer.substr(from, (size_t)length), context);
                    EXPECT_EQ(s.GetCodepage(), CodePage::Hebrew) << context;
                    // It stays a usable string.
                    s << "+tail";
                    ExpectText(s, buffer.substr(from, (size_t)length) + "+tail", context);
                }
            }
        }
    }
}

TEST(DString, AppendingInALoopGrowsGeometrically)
{
    DString s;
    int moves = 0;
    const char* at = s.c_str();
    for (int i = 0; i < 100000; ++i) {
        s << char('a' + i % 26);
        if (s.c_str() != at) {
            ++moves;
            at = s.c_str();
        }
    }
    EXPECT_EQ(s.Length(), 100000);
    EXPECT_EQ(s[99999], char('a' + 99999 % 26));
    EXPECT_LT(moves, 40); // each move copies the whole text
}

TEST(DString, LengthsBeyondIntAreRefused)
{
    DString s("ab");
    EXPECT_THROW(s.Append(s.c_str(), INT_MAX), std::length_error);
    EXPECT_THROW(s.Insert(1, s.c_str(), INT_MAX), std::length_error);
    EXPECT_EQ(s, "ab");
}

TEST(BMString, FindsUpperCasedPattern)
{
    struct Case {
        const char* pattern;
        const char* text;
        int expected;
    } cases[] = {
        {"caf", "Le CAF\xC9", 3},  {"caf\xE9", "le caf\xC9", 3}, {"zz", "abc", -1}, {"", "abc", 0},
        {"abc", "ab", -1},         {"ABC", "xxabcabc", 2},       {"a", "", -1},     {"ng", "Long Lane", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BMString(c.pattern).Find(c.text), c.expected) << c.pattern << " in " << c.text;
    EXPECT_EQ(BMString("x").Find((const char*)nullptr), -1);
    EXPECT_EQ(BMString("d\xD0\xB0", 65001).Find(InPage("\xD0\x94\xD0\x90 D\xD0\x90", 65001)), 5);
}

} // namespace
