// MD5 against RFC 1321, the file check beside its sum, the clipboard and the log sink.
#include "enginelib/base/Clipboard.h"
#include "enginelib/base/LibraryLog.h"
#include "enginelib/base/Md5.h"
#include "enginelib/base/PocketSH.h"
#include "enginelib/base/TStringNomFitx.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/TestPaths.h"

namespace {

TEST(Md5, Rfc1321Vectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& v : vectors)
        EXPECT_EQ(v.second, Md5::Of(v.first)) << v.first;
    // Fed in pieces that straddle the 64-byte blocks.
    Md5 m;
    const std::string text = vectors[6].first;
    for (size_t i = 0; i < text.size(); i += 7)
        m.Update(text.data() + i, std::min<size_t>(7, text.size() - i));
    EXPECT_EQ(vectors[6].second, m.HexDigest());
}

TEST(Md5, FileCheckedAgainstTheSumBesideIt)
{
    testpaths::TempDir dir;
    std::ofstream(dir / "Quillon.exe") << "abc";
    std::vector<std::string> log;
    SetLibraryLogSink([&](const char* line) { log.push_back(line); });
    const struct {
        const char* sum;  // null: no sum file
        bool ok;
    } cases[] = {
        {"900150983cd24fb0d6963f7d28e17f72", true},
        {"900150983CD24FB0D6963F7D28E17F72\n", true},
        {"900150983cd24fb0d6963f7d28e17f73", false},
        {"9001", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sum ? c.sum : "none");
        std::remove((dir / "Quillon.md5").c_str());
        if (c.sum)
            std::ofstream(dir / "Quillon.md5") << c.sum;
        log.clear();
        EXPECT_EQ(c.ok, TStringNomFitx((dir / "Quillon.exe").c_str()).FileMd5("Quillon.exe file corrupted", 2));
        EXPECT_EQ(c.ok ? 0u : 1u, log.size());
    }
    EXPECT_FALSE(TStringNomFitx((dir / "missing.exe").c_str()).FileMd5("", 2));
    SetLibraryLogSink(nullptr);
}

TEST(Clipboard, InProcessUntilThePlatformInstallsItsOwn)
{
    DString text;
    EXPECT_TRUE(Clipboard_SetTextBuf("caf\xE9"));
    ASSERT_TRUE(Clipboard_GetTextBuf(text));
    EXPECT_STREQ("caf\xE9", text.c_str());
    std::string platform;
    SetClipboardService({[&](const std::string& t) { platform = t; return true; },
                         [&](std::string& t) { t = platform + "!"; return true; }});
    Clipboard_SetTextBuf("x");
    EXPECT_EQ("x", platform);
    Clipboard_GetTextBuf(text);
    EXPECT_STREQ("x!", text.c_str());
    SetClipboardService({});
    Clipboard_GetTextBuf(text);
    EXPECT_STREQ("caf\xE9", text.c_str());
}

} // namespace

namespace {

TEST(DevicePaths, MyDocumentsShortenedAndExpanded)
{
    const struct {
        const char* path;
        const char* reduced;
    } cases[] = {
        {"\\My Documents\\tracks\\a.gpx", "My Documents\\tracks\\a.gpx"},
        {"\\my documents", "My Documents"},
        {"\\My Documents2\\a.gpx", "\\My Documents2\\a.gpx"},
        {"\\Storage Card\\a.gpx", "\\Storage Card\\a.gpx"},
    };
    for (const auto& c : cases) {
        TStringNomFitx p(c.path);
        p.ReducePathMyDocs(true);
        EXPECT_STREQ(c.reduced, p.c_str()) << c.path;
    }
    for (const char* text : {"My Documents\\x", "My Documents"}) {
        TStringNomFitx p(text);
        p.ExpandePathMyDocs(false);
        EXPECT_EQ(std::string("\\") + text, p.c_str());
    }
    TStringNomFitx other("My Documentsx");
    other.ExpandePathMyDocs(false);
    EXPECT_STREQ("My Documentsx", other.c_str());
}

TEST(DevicePaths, FlashCardsDrivesAndTheirKind)
{
    unsetenv("ORBETA_FLASH_CARDS");
    DString folder;
    EXPECT_EQ(0, PocketSH_FindFirstFlashCard(folder));
    Vector<DString> drives;
    TStringNomFitx::GetDrives(drives);
    ASSERT_EQ(1, drives.Count());
    EXPECT_STREQ("\\", drives[0].c_str());

    setenv("ORBETA_FLASH_CARDS", "\\Storage Card;;\\SD Card", 1);
    intptr_t h = PocketSH_FindFirstFlashCard(folder);
    ASSERT_NE(0, h);
    EXPECT_STREQ("\\Storage Card", folder.c_str());
    ASSERT_TRUE(PocketSH_FindNextFlashCard(h, folder));
    EXPECT_STREQ("\\SD Card", folder.c_str());
    EXPECT_FALSE(PocketSH_FindNextFlashCard(h, folder));
    TStringNomFitx::GetDrives(drives);
    EXPECT_EQ(3, drives.Count());
    EXPECT_STREQ("Card", TStringNomFitx("\\storage card\\maps\\a.map").Obten_Unidad_Typo().c_str());
    EXPECT_STREQ("", TStringNomFitx("\\Storage Cards\\a.map").Obten_Unidad_Typo().c_str());
    unsetenv("ORBETA_FLASH_CARDS");
}

} // namespace
