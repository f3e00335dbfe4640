// Whole files kept by version: the bytes of a kept file are those a fresh read
// gives, and every way a file can change on disk is noticed at the next read.
#include "enginelib/base/WholeFileCache.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "enginelib/base/TFicheroITV.h"
#include "support/TestPaths.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Sets a file's modification time to a fixed second (and nanosecond).
void SetTime(const std::string& path, long seconds, long nanoseconds)
{
    struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
}

std::string Text(const std::shared_ptr<const TWholeFile>& file)
{
    return file ? std::string(reinterpret_cast<const char*>(file->data.get()), file->length) : "<none>";
}

TEST(WholeFileCache, KeptBytesAreTheFileAndEveryChangeIsSeen)
{
    struct Case {
        const char* what;
        std::function<void(const testpaths::TempDir&, const std::string&)> change;
        const char* after;  // null: nothing to read any more
    } cases[] = {
        // Same time: only the length tells.
        {"rewritten longer",
         [](auto&, const std::string& f) {
             Write(f, "version two");
             SetTime(f, 1000000, 1);
         },
         "version two"},
        {"rewritten shorter",
         [](auto&, const std::string& f) {
             Write(f, "v2");
             SetTime(f, 1000000, 1);
         },
         "v2"},
        // Same length and a later time: only the time tells.
        {"same length, later time",
         [](auto&, const std::string& f) {
             Write(f, "VERSION 1");
             SetTime(f, 1000000, 2);
         },
         "VERSION 1"},
        {"same length, time set back",
         [](auto&, const std::string& f) {
             Write(f, "VERSION 1");
             SetTime(f, 999999, 0);
         },
         "VERSION 1"},
        // Same length and time, another file moved over it: only the inode tells.
        {"replaced by rename",
         [](const testpaths::TempDir& dir, const std::string& f) {
             const std::string other = dir / "other";
             Write(other, "VERSION 1");
             SetTime(other, 1000000, 1);
             fs::rename(other, f);
         },
         "VERSION 1"},
        {"removed", [](auto&, const std::string& f) { fs::remove(f); }, nullptr},
        {"a folder in its place",
         [](auto&, const std::string& f) {
             fs::remove(f);
             fs::create_directory(f);
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testpaths::TempDir dir;
        TWholeFileCache cache;
        const std::string file = dir / "page.cpage";
        Write(file, "version 1");
        SetTime(file, 1000000, 1);

        auto first = cache.Read(file);
        ASSERT_NE(nullptr, first);
        EXPECT_EQ("version 1", Text(first));
        EXPECT_EQ(first->size, first->length);
        // As a fresh read gives it.
        std::unique_ptr<unsigned char[]> fresh;
        uint32_t size = 0, length = 0;
        ASSERT_TRUE(TFicheroITV::LeeEntero(file.c_str(), fresh, size, length));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(fresh.get()), length), Text(first));
        // Unchanged: the same bytes, not read again.
        EXPECT_EQ(first, cache.Read(file));
        EXPECT_EQ(1, cache.GetCount());
        EXPECT_EQ(9u, cache.GetMemoryUsed());

        c.change(dir, file);
        auto after = cache.Read(file);
        if (!c.after) {
            EXPECT_EQ(nullptr, after);
        } else {
            ASSERT_NE(nullptr, after);
            EXPECT_NE(first, after);
            EXPECT_EQ(c.after, Text(after));
            EXPECT_EQ(after, cache.Read(file));
            EXPECT_EQ(1, cache.GetCount());  // the old version is not kept beside it
            EXPECT_EQ(after->size, cache.GetMemoryUsed());
        }
        EXPECT_EQ("version 1", Text(first));  // a holder keeps what it read
    }
}

TEST(WholeFileCache, MissingFilesAndTheMemoryBound)
{
    testpaths::TempDir dir;
    TWholeFileCache cache;
    EXPECT_EQ(nullptr, cache.Read(dir / "none"));
    EXPECT_EQ(nullptr, cache.Read(dir.path()));
    EXPECT_EQ(nullptr, cache.Read(""));

    // A file written a moment ago is read every time: written again within
    // the same tick of the clock it would look the same.
    const std::string small = dir / "small", large = dir / "large";
    Write(small, "small");
    auto fresh = cache.Read(small);
    ASSERT_NE(nullptr, fresh);
    EXPECT_NE(fresh, cache.Read(small));
    EXPECT_EQ(0, cache.GetCount());
    SetTime(small, 1000000, 0);

    // A file too large to keep is read every time, and crowds nothing out.
    Write(large, std::string(TWholeFileCache::MaxBytes / 4 + 1, 'x'));
    SetTime(large, 1000000, 0);
    ASSERT_NE(nullptr, cache.Read(small));
    auto big = cache.Read(large);
    ASSERT_NE(nullptr, big);
    EXPECT_EQ(TWholeFileCache::MaxBytes / 4 + 1, big->length);
    EXPECT_NE(big, cache.Read(large));
    EXPECT_EQ(1, cache.GetCount());

    // Past the bound, the files least recently read go first, unless held.
    const size_t part = TWholeFileCache::MaxBytes / 5;
    std::shared_ptr<const TWholeFile> held;
    for (int i = 0; i < 7; ++i) {
        const std::string name = dir / ("part" + std::to_string(i));
        Write(name, std::string(part, char('a' + i)));
        SetTime(name, 1000000, 0);
        auto read = cache.Read(name);
        ASSERT_NE(nullptr, read);
        if (i == 0)
            held = read;
        cache.Read(small);  // kept in use
        EXPECT_LE(cache.GetMemoryUsed(), TWholeFileCache::MaxBytes + part);
    }
    EXPECT_LE(cache.GetMemoryUsed() - part, TWholeFileCache::MaxBytes);
    auto smallAgain = cache.Read(small);
    EXPECT_EQ(smallAgain, cache.Read(small));
    EXPECT_EQ(held, cache.Read(dir / "part0"));
    EXPECT_EQ(std::string(part, 'a'), Text(held));
    cache.Clear();
    EXPECT_EQ(0, cache.GetCount());
    EXPECT_EQ(0u, cache.GetMemoryUsed());

    // Many tiny files are bounded by their number too, the last read kept.
    std::string last;
    for (size_t i = 0; i < TWholeFileCache::MaxFiles + 20; ++i) {
        last = dir / ("tiny" + std::to_string(i));
        Write(last, "t");
        SetTime(last, 1000000, 0);
        ASSERT_NE(nullptr, cache.Read(last));
    }
    EXPECT_EQ(int(TWholeFileCache::MaxFiles), cache.GetCount());
    auto lastRead = cache.Read(last);
    EXPECT_EQ(lastRead, cache.Read(last));
}

} // namespace
