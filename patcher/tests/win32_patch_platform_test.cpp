// The Windows services against the real registry and file system (under wine
// in this repo's runs). Values are written below a private HKCU key.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "win32_patch_platform.h"

namespace kqp {
namespace {

constexpr const char* kTestKey = "Software\\KqpPatcherTest";

class Win32PatchPlatformTest : public testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

    // Sets the unnamed value of HKCU\kTestKey\subkey.
    static void SetDefault(const std::string& subkey, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        const std::string path = std::string(kTestKey) + "\\" + subkey;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, nullptr, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::optional<std::string> Read(const std::string& subkey) {
        return platform.RegistryDefaultValue(RegistryRoot::kCurrentUser,
                                             std::string(kTestKey) + "\\" + subkey);
    }

    Win32PatchPlatform platform;
};

TEST_F(Win32PatchPlatformTest, ReadsAStringValue) {
    const char value[] = "C:\\GAMES\\X\\RUN.EXE";
    SetDefault("Text", REG_SZ, value, sizeof value);
    EXPECT_EQ(Read("Text"), "C:\\GAMES\\X\\RUN.EXE");
}

TEST_F(Win32PatchPlatformTest, ValuesOfAnyTypeEndInsideTheBuffer) {
    std::string full(kRegistryValueBufferSize, 'A');
    SetDefault("Fits", REG_BINARY, full.data(), static_cast<DWORD>(full.size() - 1));
    EXPECT_EQ(Read("Fits"), std::string(kRegistryValueBufferSize - 1, 'A'));
    SetDefault("Full", REG_BINARY, full.data(), static_cast<DWORD>(full.size()));
    EXPECT_FALSE(Read("Full"));
    SetDefault("Long", REG_SZ, full.c_str(), static_cast<DWORD>(full.size() + 1));
    EXPECT_FALSE(Read("Long"));
    const DWORD number = 0x41;
    SetDefault("Number", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Read("Number"), "A");
}

TEST_F(Win32PatchPlatformTest, AMissingKeyIsNotCreated) {
    EXPECT_FALSE(Read("Missing"));
    HKEY key = nullptr;
    const std::string path = std::string(kTestKey) + "\\Missing";
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(Win32PatchPlatformTest, AKeyWithoutAnUnnamedValueIsNone) {
    const char value[] = "x";
    SetDefault("Named", REG_SZ, value, sizeof value);
    HKEY key = nullptr;
    const std::string path = std::string(kTestKey) + "\\Named";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, nullptr);
    RegCloseKey(key);
    EXPECT_FALSE(Read("Named"));
}

TEST_F(Win32PatchPlatformTest, DirectoriesAreAsTheSystemGivesThem) {
    const auto windows = platform.WindowsDirectory();
    const auto system = platform.SystemDirectory();
    ASSERT_TRUE(windows);
    ASSERT_TRUE(system);
    EXPECT_FALSE(windows->empty());
    EXPECT_NE(windows->back(), '\\');
    EXPECT_EQ(system->rfind(*windows, 0), 0u) << *system;
}

TEST_F(Win32PatchPlatformTest, WritesAndRemovesFiles) {
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "kqp-platform-test.bin";
    {
        CFile file = platform.OpenForWriting(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(std::fwrite("ab", 1, 2, file.get()), 2u);
    }
    EXPECT_TRUE(platform.RemoveFile(path));
    EXPECT_FALSE(platform.RemoveFile(path));
    EXPECT_FALSE(platform.OpenForWriting(std::string(folder) + "no-such-folder\\x.bin"));
}

}  // namespace
}  // namespace kqp
