#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/TestPaths.h"
#include "wincore/WinApi.h"
#include "wincore/WinRegistry.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { WinUseBackend(std::make_unique<THeadlessBackend>()); }
    void TearDown() override { WinUseBackend(nullptr); }
};

TEST_F(Registry, KeysAreCreatedOnceAndFoundInAnyCase)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Hardware\\Devicemap\\Touch", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS); // no file: nothing to write
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), LONG(ERROR_INVALID_HANDLE));
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\hardware\\DEVICEMAP\\touch\\", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Hardware\\Nothing", 0, 0, &key), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Hardware\\Devicemap\\Touch", 0, 0, &key), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegFlushKey(reinterpret_cast<HKEY>(uintptr_t(0x77))), LONG(ERROR_INVALID_HANDLE));
}

TEST_F(Registry, ValuesAreSetQueriedAndDeleted)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Orbeta", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const DWORD level = 70;
    ASSERT_EQ(RegSetValueExW(key, u"Brightness", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), 4),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"brightness", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    BYTE small[2];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(key, u"Brightness", nullptr, &type, small, &size), LONG(ERROR_MORE_DATA));
    EXPECT_EQ(size, 4u);
    DWORD read = 0;
    size = sizeof read;
    ASSERT_EQ(RegQueryValueExW(key, u"Brightness", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, 70u);
    EXPECT_EQ(RegQueryValueExW(key, u"Brightness", nullptr, &type, reinterpret_cast<BYTE*>(&read), nullptr),
              LONG(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegSetValueExW(key, u"Null", 0, REG_BINARY, nullptr, 8), LONG(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegDeleteValueW(key, u"BRIGHTNESS"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, u"Brightness", nullptr, &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
}

TEST_F(Registry, AFileKeepsTheRegistryBetweenRuns)
{
    testpaths::TempDir dir;
    const std::string file = dir / "registry.txt";
    ASSERT_TRUE(WinRegistrySetFile(file)); // absent: made at the first flush
    HKEY key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Soft ware\\Or%beta", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const char16_t text[] = u"caf\u00E9 \n";
    RegSetValueExW(key, u"Name with spaces", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0);
    ASSERT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    RegCloseKey(key);

    WinUseBackend(std::make_unique<THeadlessBackend>()); // a new run
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Soft ware\\Or%beta", 0, 0, &key), ERROR_SUCCESS);
    ASSERT_TRUE(WinRegistrySetFile(file));
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"soft ware\\or%BETA", 0, 0, &key), ERROR_SUCCESS);
    char16_t back[16] = {};
    DWORD type = 0, size = sizeof back;
    ASSERT_EQ(RegQueryValueExW(key, u"Name with spaces", nullptr, &type, reinterpret_cast<BYTE*>(back), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(std::u16string(back), std::u16string(text));
    size = 99;
    EXPECT_EQ(RegQueryValueExW(key, u"Empty", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    RegCloseKey(key);
}

TEST(RegistryStore, BadLinesAreSkippedAndGoodOnesKept)
{
    TWinRegistryStore store;
    const size_t bad = store.Parse("V 4 orphan 01000000\n"     // no key yet
                                   "K HKLM\\A\r\n"
                                   "V 4 good 02000000\n"
                                   "V x name 00\n"             // bad type
                                   "V 4 odd 123\n"             // odd hex
                                   "V 4 bad%zz 00\n"           // bad escape
                                   "V 4 cut% 00\n"             // escape cut short
                                   "K \n"                      // empty key
                                   "Q what\n"
                                   "V 99999999999 big 00\n"    // type too large
                                   "\n");
    EXPECT_EQ(bad, 8u);
    ASSERT_TRUE(store.HasKey("hklm\\a"));
    const auto* v = store.FindValue("HKLM\\A", "GOOD");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->data, (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(store.KeyCount(), 1u);
    // What it writes it reads back the same.
    TWinRegistryStore copy;
    EXPECT_EQ(copy.Parse(store.Serialize()), 0u);
    EXPECT_EQ(copy.Serialize(), store.Serialize());
}

} // namespace
