// The Windows services against the real registry and file system (under wine
// in this repo's runs). Values are written below a private HKCU key.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "win32_patch_platform.h"

namespace kqp {
namespace {

const std::string kTestKey = "Software\\KqpPatcherTest";

class Win32PatchPlatformTest : public testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str()); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str()); }

    // Sets the unnamed value of HKCU\kTestKey\subkey and reads it back.
    std::optional<std::string> SetAndRead(const std::string& subkey, DWORD type, const void* data,
                                          DWORD size) {
        HKEY key = nullptr;
        const std::string path = kTestKey + "\\" + subkey;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, nullptr, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        return platform.RegistryDefaultValue(RegistryRoot::kCurrentUser, path);
    }

    Win32PatchPlatform platform;
};

TEST_F(Win32PatchPlatformTest, ValuesOfAnyTypeAreTextsEndingInsideTheBuffer) {
    const char text[] = "C:\\GAMES\\X\\RUN.EXE";
    EXPECT_EQ(SetAndRead("Text", REG_SZ, text, sizeof text), "C:\\GAMES\\X\\RUN.EXE");
    const std::string full(kRegistryValueBufferSize, 'A');
    EXPECT_EQ(SetAndRead("Fits", REG_BINARY, full.data(), kRegistryValueBufferSize - 1),
              std::string(kRegistryValueBufferSize - 1, 'A'));
    EXPECT_FALSE(SetAndRead("Full", REG_BINARY, full.data(), kRegistryValueBufferSize));
    EXPECT_FALSE(SetAndRead("Long", REG_SZ, full.c_str(), kRegistryValueBufferSize + 1));
    const DWORD number = 0x41;
    EXPECT_EQ(SetAndRead("Number", REG_DWORD, &number, sizeof number), "A");
}

TEST_F(Win32PatchPlatformTest, AMissingKeyIsNotCreated) {
    const std::string path = kTestKey + "\\Missing";
    EXPECT_FALSE(platform.RegistryDefaultValue(RegistryRoot::kCurrentUser, path));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(Win32PatchPlatformTest, DirectoriesFilesAndRemoval) {
    const auto windows = platform.WindowsDirectory();
    const auto system = platform.SystemDirectory();
    ASSERT_TRUE(windows && system);
    EXPECT_NE(windows->back(), '\\');
    EXPECT_EQ(system->rfind(*windows, 0), 0u) << *system;

    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "kqp-platform-test.bin";
    ASSERT_TRUE(platform.OpenForWriting(path));
    EXPECT_TRUE(platform.RemoveFile(path));
    EXPECT_FALSE(platform.RemoveFile(path));
    EXPECT_FALSE(platform.OpenForWriting(std::string(folder) + "no-such-folder\\x.bin"));
}

}  // namespace
}  // namespace kqp
