#include "enginelib/base/Path.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "enginelib/base/FolderWatch.h"
#include "support/TestPaths.h"

namespace {

namespace fs = std::filesystem;

void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

// Keeps the process-wide device root as it was.
class PathTest : public ::testing::Test {
protected:
    void SetUp() override { savedRoot_ = Path::DeviceRoot(); }
    void TearDown() override { Path::SetDeviceRoot(savedRoot_); }
    std::string savedRoot_;
};

TEST_F(PathTest, ToNativeTable) {
    Path::SetDeviceRoot("/dev/root/");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"\\Windows\\fonts\\arial.ttf", "/dev/root/Windows/fonts/arial.ttf"},
        {"symbols\\skins\\default", "symbols/skins/default"},
        {"a/b\\c", "a/b/c"},
        {"a\\\\b", "a/b"},
        {"/home/u/orbeta\\symbols\\skins", "/home/u/orbeta/symbols/skins"},
        {"skins\\default\\..\\base\\styles.css", "skins/base/styles.css"},
        {"..\\base\\styles.css", "../base/styles.css"},
        {"a/../../x", "../x"},
        {".\\a\\.\\b", "a/b"},
        {"a\\..", "."},
        {".", "."},
        {"", ""},
        {"skins\\", "skins/"},
        {"\\", "/dev/root/"},
        {"\\..", "/dev/root"},
        {"\\..\\..\\etc\\passwd", "/dev/root/etc/passwd"},
        {"/..", "/"},
        {"/", "/"},
        // Already native, and paths one step from it.
        {"/tmp/skins/default/a.png", "/tmp/skins/default/a.png"},
        {"skins/default/", "skins/default/"},
        {"a", "a"},
        {".a/..b/c.", ".a/..b/c."},
        {"/tmp//a", "/tmp/a"},
        {"//tmp/a", "/tmp/a"},
        {"/tmp/a//", "/tmp/a/"},
        {"/tmp/./a", "/tmp/a"},
        {"/tmp/a/.", "/tmp/a"},
        {"/tmp/a/..", "/tmp"},
        {"/tmp/a/../", "/tmp/"},
        {"/tmp/a\\b", "/tmp/a/b"},
        {"./a", "a"},
        {"/tmp\\skins\\default\\a.png", "/tmp/skins/default/a.png"},
        {"skins\\default\\", "skins/default/"},
        {"/tmp\\\\a", "/tmp/a"},
        {"/tmp\\.\\a", "/tmp/a"},
        {"/tmp\\a\\..", "/tmp"},
        {"/\\a", "/a"},
    };
    for (const Case& c : cases) EXPECT_EQ(Path::ToNative(c.in), c.out) << "input: " << c.in;
}

// Separators and "." or ".." parts are found wherever they lie in a long path,
// with either separator, one or two in a row.
TEST_F(PathTest, ToNativeFindsSeparatorsAnywhere) {
    for (size_t at = 1; at < 30; ++at)
        for (const char* sep : {"\\", "/", "\\\\", "/\\"}) {
            std::string path(32, 'a');
            path.replace(at, 0, sep);
            std::string expected(32, 'a');
            expected.insert(at, "/");
            EXPECT_EQ(expected, Path::ToNative(path)) << path;
            for (const char* dots : {".", ".."}) {
                std::string dotted(path);
                dotted.insert(at + std::strlen(sep), std::string(dots) + "\\");
                const std::string tail = expected.substr(at + 1);
                EXPECT_EQ(dots[1] ? tail : expected, Path::ToNative(dotted)) << dotted;
            }
        }
}

TEST_F(PathTest, DeviceRootOfSlashKeepsOneSlash) {
    Path::SetDeviceRoot("/");
    EXPECT_EQ(Path::ToNative("\\Windows\\x"), "/Windows/x");
    EXPECT_EQ(Path::ToNative("\\"), "/");
}

TEST_F(PathTest, ProgramFolderIsTheExecutablesFolder) {
    std::string folder = Path::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fs::path(folder), fs::read_symlink("/proc/self/exe").parent_path());
}

TEST_F(PathTest, ResolveMatchesComponentsIgnoringCase) {
    testpaths::TempDir tmp;
    Touch(tmp / "skins/default/skin.xml");
    Touch(tmp / "skins/default/pagemain.xml");
    Touch(tmp / "skins/base/styles.css");
    Path::SetDeviceRoot(tmp.path());

    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {tmp.path() + "\\Skins\\Default\\Skin.XML", tmp / "skins/default/skin.xml"},
        {"\\Skins\\Default\\Skin.XML", tmp / "skins/default/skin.xml"},
        {"\\skins\\default\\pageMain.xml", tmp / "skins/default/pagemain.xml"},
        {"\\SKINS\\Default\\..\\Base\\Styles.css", tmp / "skins/base/styles.css"},
        {"\\Skins\\DEFAULT\\", tmp / "skins/default/"},
        // Tails that do not exist stay as written, ready to be created.
        {"\\Skins\\Default\\NewFile.Txt", tmp / "skins/default/NewFile.Txt"},
        {"\\Skins\\Missing\\Sub\\F.txt", tmp / "skins/Missing/Sub/F.txt"},
        {"\\Skins\\Default\\Skin.XML\\Below", tmp / "skins/default/skin.xml/Below"},
    };
    for (const Case& c : cases) EXPECT_EQ(Path::Resolve(c.in), c.out) << "input: " << c.in;
}

TEST_F(PathTest, ResolvePrefersTheExactCase) {
    testpaths::TempDir tmp;
    Touch(tmp / "Skin.xml");
    Touch(tmp / "skin.xml");
    EXPECT_EQ(Path::Resolve(tmp / "skin.xml"), tmp / "skin.xml");
    EXPECT_EQ(Path::Resolve(tmp / "Skin.xml"), tmp / "Skin.xml");
    // Neither matches exactly: the first name in byte order, whatever the listing order.
    EXPECT_EQ(Path::Resolve(tmp / "SKIN.XML"), tmp / "Skin.xml");
}

TEST_F(PathTest, ResolveSeesFilesCreatedAfterAMiss) {
    testpaths::TempDir tmp;
    Touch(tmp / "folder/other.txt");
    const std::string asked = tmp.path() + "\\Folder\\Later.TXT";
    EXPECT_EQ(Path::Resolve(asked), tmp / "folder/Later.TXT");
    Touch(tmp / "folder/later.txt");
    EXPECT_EQ(Path::Resolve(asked), tmp / "folder/later.txt");
}

// A folder last changed long ago has its misses answered from the cached listing;
// any file made there later changes the folder and must still be found.
TEST_F(PathTest, ResolveSeesFilesCreatedInALongUnchangedFolder) {
    testpaths::TempDir tmp;
    Touch(tmp / "folder/other.txt");
    const fs::path folder = fs::path(tmp / "folder");
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
    const std::string asked = tmp.path() + "\\Folder\\Later.TXT";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Path::Resolve(asked), tmp / "folder/Later.TXT");
    Touch(tmp / "folder/later.txt");
    EXPECT_EQ(Path::Resolve(asked), tmp / "folder/later.txt");
}

TEST_F(PathTest, ResolveDropsAVanishedName) {
    testpaths::TempDir tmp;
    Touch(tmp / "a.txt");
    EXPECT_EQ(Path::Resolve(tmp / "A.TXT"), tmp / "a.txt");
    fs::remove(tmp / "a.txt");
    Touch(tmp / "A.txt");
    EXPECT_EQ(Path::Resolve(tmp / "A.TXT"), tmp / "A.txt");
    fs::remove(tmp / "A.txt");
    EXPECT_EQ(Path::Resolve(tmp / "A.TXT"), tmp / "A.TXT");
}

// Lookup answers from a folder's kept listing; every change to the folder shows
// at the next call, whether the folder changed long ago or just now.
TEST_F(PathTest, LookupFollowsTheFolder) {
    for (const bool aged : {true, false}) {
        SCOPED_TRACE(aged ? "folder unchanged for an hour" : "folder just changed");
        testpaths::TempDir tmp;
        Touch(tmp / "skin/button.png");
        fs::create_directories(tmp / "skin/icons");
        const fs::path folder = fs::path(tmp / "skin");
        auto age = [&] {
            if (aged) fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
        };
        age();
        const std::string t = tmp.path();
        struct Case {
            std::string path;
            Path::Kind kind;
        } cases[] = {
            {t + "/skin/button.png", Path::Kind::File},
            {t + "\\SKIN\\Button.PNG", Path::Kind::File},
            {t + "/skin/buttonLandscape.png", Path::Kind::None},
            {t + "/skin/icons", Path::Kind::Folder},
            {t + "/skin/ICONS", Path::Kind::Folder},
            {t + "/skin/icons/", Path::Kind::Folder},
            {t + "/nothing/button.png", Path::Kind::None},
            {t + "/nothing/deeper/button.png", Path::Kind::None},
            {t + "/SKIN/ICONS/", Path::Kind::Folder},
            {t + "/skin", Path::Kind::Folder},
        };
        for (int round = 0; round < 2; ++round)
            for (const Case& c : cases) EXPECT_EQ(c.kind, Path::Lookup(c.path)) << c.path;
        // A batch answers the same, moving between folders and back.
        Path::LookupBatch batch;
        for (int round = 0; round < 2; ++round)
            for (const Case& c : cases) EXPECT_EQ(c.kind, batch.Lookup(c.path)) << c.path;

        Touch(tmp / "skin/buttonLandscape.png");
        age();
        EXPECT_EQ(Path::Kind::File, Path::Lookup(t + "/skin/buttonLandscape.png"));
        fs::remove(tmp / "skin/button.png");
        age();
        EXPECT_EQ(Path::Kind::None, Path::Lookup(t + "/skin/button.png"));
        fs::rename(tmp / "skin/buttonLandscape.png", tmp / "skin/button.png");
        age();
        EXPECT_EQ(Path::Kind::None, Path::Lookup(t + "/skin/buttonLandscape.png"));
        EXPECT_EQ(Path::Kind::File, Path::Lookup(t + "/skin/button.png"));
        // A new batch sees the folder as it is now.
        fs::remove(tmp / "skin/button.png");
        age();
        Path::LookupBatch later;
        EXPECT_EQ(Path::Kind::None, later.Lookup(t + "/skin/buttonLandscape.png"));
        EXPECT_EQ(Path::Kind::None, later.Lookup(t + "/skin/button.png"));
    }
}

// A batch's FileIdentity answers as Path::FileIdentity does, for names in the
// folder it looked at (found there without the whole path) and anywhere else.
TEST_F(PathTest, BatchFileIdentityIsFileIdentity) {
    testpaths::TempDir tmp;
    Touch(tmp / "skin/button.png");
    Touch(tmp / "skin/Mixed.png");
    Touch(tmp / "other/button.png");
    fs::create_directories(tmp / "skin/icons");
    fs::create_symlink(tmp / "other/button.png", tmp / "skin/link.png");
    fs::create_symlink(tmp / "skin/none.png", tmp / "skin/dangling.png");
    const std::string t = tmp.path();
    const std::string paths[] = {
        t + "/skin/button.png",   t + "\\skin\\button.png", t + "/skin/MIXED.PNG",   t + "/skin/mixed.png",
        t + "/skin/none.png",     t + "/skin/icons",          t + "/skin/icons/",      t + "/skin/link.png",
        t + "/skin/dangling.png", t + "/other/button.png",    t + "/SKIN/button.png",  t + "/skin/./button.png",
        t + "/skin",              "",
    };
    for (const std::string& looked : {t + "/skin/x.png", t + "/other/x.png", t + "/none/x.png", std::string()}) {
        SCOPED_TRACE("batch looked at " + looked);
        Path::LookupBatch batch;
        if (!looked.empty()) batch.Lookup(looked);
        for (int round = 0; round < 2; ++round)
            for (const std::string& p : paths) {
                struct timespec expectedTime = {-1, -1}, time = {-1, -1};
                const std::string expected = Path::FileIdentity(p, &expectedTime);
                EXPECT_EQ(expected, batch.FileIdentity(p, &time)) << p;
                EXPECT_EQ(expectedTime.tv_sec, time.tv_sec) << p;
                EXPECT_EQ(expectedTime.tv_nsec, time.tv_nsec) << p;
            }
    }
    EXPECT_NE("", Path::FileIdentity(t + "/skin/button.png"));
    EXPECT_EQ("", Path::FileIdentity(t + "/skin/none.png"));
}

// What a batch finds in a folder is what is there when the batch first looks,
// however the folder or the file changed since an earlier batch: the folder
// itself replaced, moved away and back, or swapped through a link.
TEST_F(PathTest, EachBatchSeesTheFolderAsItIsNow) {
    testpaths::TempDir tmp;
    Touch(tmp / "a/button.png");
    Touch(tmp / "b/button.png");
    fs::create_directory_symlink(tmp / "a", tmp / "skin");
    const std::string t = tmp.path();
    const std::string file = t + "/skin/button.png";
    const std::string linked = t + "/linked/button.png";
    const std::string direct = t + "/a/button.png";  // no link on the way: watched
    fs::create_directory_symlink(tmp / "skin", tmp / "linked");
    struct Step {
        const char* what;
        std::function<void()> change;
    } steps[] = {
        {"as made", [] {}},
        {"file rewritten", [&] { std::ofstream(tmp / "a/button.png") << "longer"; }},
        {"file replaced", [&] {
             Touch(tmp / "a/new.png");
             fs::rename(tmp / "a/new.png", tmp / "a/button.png");
         }},
        {"file touched to an older time", [&] {
             fs::last_write_time(tmp / "a/button.png", fs::last_write_time(tmp / "a/button.png") - std::chrono::hours(1));
         }},
        {"file removed", [&] { fs::remove(tmp / "a/button.png"); }},
        {"file back", [&] { Touch(tmp / "a/button.png"); }},
        {"link to another folder", [&] {
             fs::remove(tmp / "skin");
             fs::create_directory_symlink(tmp / "b", tmp / "skin");
         }},
        {"link back", [&] {
             fs::remove(tmp / "skin");
             fs::create_directory_symlink(tmp / "a", tmp / "skin");
         }},
        {"folder replaced", [&] {
             fs::rename(tmp / "a", tmp / "old");
             Touch(tmp / "a/button.png");
         }},
        {"folder moved back", [&] {
             fs::remove_all(tmp / "a");
             fs::rename(tmp / "old", tmp / "a");
         }},
        {"folder removed", [&] { fs::remove_all(tmp / "a"); }},
        {"folder made again", [&] { Touch(tmp / "a/button.png"); }},
    };
    std::string last;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        for (const std::string& path : {file, linked, direct}) {
            Path::LookupBatch batch;
            batch.Lookup(path);
            const std::string now = Path::FileIdentity(path);
            EXPECT_EQ(now, batch.FileIdentity(path)) << path;
            EXPECT_EQ(now, batch.FileIdentity(path)) << path;
            if (path == file) {
                EXPECT_NE(last, now);  // every step gives another file, or none
                last = now;
            }
        }
    }
}

// Whatever puts another folder or file at a path, anywhere on the way to it,
// shows at the next batch, also after earlier batches kept what they saw.
TEST_F(PathTest, EachBatchSeesChangesOnTheWayToAFolder) {
    testpaths::TempDir tmp;
    int made = 0;
    // Each file its own length, so that each shows as another version.
    auto fresh = [&](const std::string& folder) {
        fs::create_directories(folder);
        std::ofstream(folder + "/button.png") << std::string(++made, 'x');
    };
    fresh(tmp / "root/skins/default");
    fresh(tmp / "spare/default");
    fresh(tmp / "other");
    const std::string path = tmp.path() + "/root/skins/default/button.png";
    struct Step {
        const char* what;
        std::function<void()> change;
    } steps[] = {
        {"as made", [] {}},
        {"way moved away and made again", [&] {
             fs::rename(tmp / "root", tmp / "root.old");
             fresh(tmp / "root/skins/default");
         }},
        {"way moved back", [&] {
             fs::remove_all(tmp / "root");
             fs::rename(tmp / "root.old", tmp / "root");
         }},
        {"middle folder swapped", [&] {
             fs::rename(tmp / "root/skins", tmp / "skins.old");
             fs::rename(tmp / "spare", tmp / "root/skins");
         }},
        {"folder swapped", [&] {
             fs::rename(tmp / "root/skins/default", tmp / "default.old");
             fresh(tmp / "root/skins/default");
         }},
        {"folder replaced by a link", [&] {
             fs::remove_all(tmp / "root/skins/default");
             fs::create_directory_symlink(tmp / "other", tmp / "root/skins/default");
         }},
        {"link replaced by a folder", [&] {
             fs::remove(tmp / "root/skins/default");
             fresh(tmp / "root/skins/default");
         }},
        {"file rewritten", [&] { fresh(tmp / "root/skins/default"); }},
    };
    std::string last;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const std::string now = Path::FileIdentity(path);
        EXPECT_NE(last, now);
        last = now;
        for (int round = 0; round < 3; ++round) {
            Path::LookupBatch batch;
            EXPECT_EQ(Path::Kind::File, batch.Lookup(path));
            EXPECT_EQ(now, batch.FileIdentity(path));
        }
    }
}

// Batches on several threads share what the watch keeps while another thread
// keeps changing the folder; once it stops, every batch sees the last version.
TEST_F(PathTest, BatchesOnThreadsShareTheWatch) {
    testpaths::TempDir tmp;
    Touch(tmp / "skin/a.png");
    Touch(tmp / "skin/b.png");
    const std::string a = tmp / "skin/a.png";
    const std::string b = tmp / "skin/b.png";
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&] {
            while (!stop.load()) {
                Path::LookupBatch batch;
                batch.Lookup(a);
                batch.FileIdentity(a);
                batch.FileIdentity(b);
                batch.Holds({a, b});
            }
        });
    for (int i = 0; i < 200; ++i) {
        std::ofstream(a) << std::string(size_t(i % 7) + 1, 'x');
        if (i % 10 == 0) fs::rename(tmp / "skin", tmp / "moved");
        if (i % 10 == 0) fs::rename(tmp / "moved", tmp / "skin");
    }
    stop = true;
    for (std::thread& t : readers) t.join();
    Path::LookupBatch batch;
    EXPECT_EQ(Path::Kind::File, batch.Lookup(a));
    EXPECT_EQ(Path::FileIdentity(a), batch.FileIdentity(a));
    EXPECT_EQ(Path::FileIdentity(b), batch.FileIdentity(b));
}

// The watch keeps what it is given until a change in the folder or on its way,
// and only such a change moves it on.
TEST(FolderWatch, KeepsWhatWasSeenUntilAChange) {
    testpaths::TempDir tmp;
    Touch(tmp / "way/skin/a.png");
    char real[PATH_MAX];
    if (!::realpath(tmp.path().c_str(), real) || tmp.path() != real) GTEST_SKIP() << "temporary folder behind a link";
    const std::string folder = tmp / "way/skin";
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    Path::FolderWatch watch;
    if (!watch.Add(folder, fd)) {
        ::close(fd);
        GTEST_SKIP() << "no inotify on this file system";
    }
    struct stat kept {};
    kept.st_size = 7;
    struct Step {
        const char* what;
        std::function<void()> change;
        bool moves;        // the moment moves on
        bool stillWatched;  // else the folder is no longer known to be the one at its path
    } steps[] = {
        {"nothing", [] {}, false, true},
        {"a name beside the way", [&] { Touch(tmp / "way/other.png"); }, false, true},
        {"file written", [&] { std::ofstream(tmp / "way/skin/a.png") << "yy"; }, true, true},
        {"file made", [&] { Touch(tmp / "way/skin/b.png"); }, true, true},
        {"file renamed", [&] { fs::rename(tmp / "way/skin/b.png", tmp / "way/skin/c.png"); }, true, true},
        {"file's time set", [&] {
             fs::last_write_time(tmp / "way/skin/a.png", fs::file_time_type::clock::now() - std::chrono::hours(2));
         }, true, true},
        {"folder moved and back", [&] {
             fs::rename(tmp / "way/skin", tmp / "way/skin2");
             fs::rename(tmp / "way/skin2", tmp / "way/skin");
         }, true, false},
        {"way moved and back", [&] {
             fs::rename(tmp / "way", tmp / "way2");
             fs::rename(tmp / "way2", tmp / "way");
         }, true, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (!watch.Watching(folder)) ASSERT_TRUE(watch.Add(folder, fd));
        const uint64_t before = watch.Moment();
        ASSERT_NE(0u, before);
        watch.Keep(folder, "a.png", before, kept);
        struct stat found {};
        ASSERT_TRUE(watch.Find(folder, "a.png", before, found));
        EXPECT_EQ(7, found.st_size);
        // What was seen at that moment holds until the change, and only for watched folders.
        EXPECT_TRUE(watch.Holds({folder}, before));
        EXPECT_FALSE(watch.Holds({folder, tmp / "way"}, before));
        step.change();
        EXPECT_EQ(!step.moves, watch.Holds({folder}, before));
        const uint64_t after = watch.Moment();
        EXPECT_EQ(step.stillWatched, watch.Watching(folder));
        if (!step.stillWatched) continue;
        EXPECT_EQ(step.moves, after != before);
        EXPECT_EQ(!step.moves, watch.Find(folder, "a.png", after, found));
    }
    // A path with a link on it is not watched: the link may change unseen.
    fs::create_directory_symlink(tmp / "way", tmp / "link");
    const std::string linked = tmp / "link/skin";
    const int linkedFd = ::open(linked.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    EXPECT_FALSE(watch.Add(linked, linkedFd));
    ::close(linkedFd);
    ::close(fd);
}

TEST(PathNames, WildcardMatchTable) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*", "anything", true},
        {"*", "", true},
        {"tempuiedm*", "tempuiedm", true},
        {"tempuiedm*", "TempUIEDM123.jpg", true},
        {"tempuiedm*", "xtempuiedm1", false},
        {"*.cskin", "Default.CSKIN", true},
        {"*.cskin", "default.cskin.bak", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*a*b*", "xxaYYbzz", true},
        {"*a*b*", "xxbYYazz", false},
        {"", "", true},
        {"", "a", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Path::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
    EXPECT_FALSE(Path::WildcardMatch(nullptr, "a"));
}

TEST(PathNames, NameEqualsIgnoresAsciiCaseOnly) {
    EXPECT_TRUE(Path::NameEquals("PageMain.XML", "pagemain.xml"));
    EXPECT_FALSE(Path::NameEquals("pagemain.xml", "pagemain.xm"));
    EXPECT_FALSE(Path::NameEquals("\xC9t\xE9", "\xE9t\xE9"));
}

} // namespace
