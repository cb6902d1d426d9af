#include "app_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>

namespace kqp::test {

ScopedRegistryKey::ScopedRegistryKey() {
    static std::atomic<int> counter{0};
    path_ = "Software\\KqpPatchAppTest-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

ScopedRegistryKey::~ScopedRegistryKey() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

std::string ScopedRegistryKey::SetDefault(const std::string& subkey,
                                          const std::string& value) const {
    const std::string path = path_ + "\\" + subkey;
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(
        ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1)),
        ERROR_SUCCESS);
    ::RegCloseKey(key);
    return path;
}

GameFolder::GameFolder() {
    std::filesystem::create_directories(scratch.path() / "game" / "DATA");
    WriteBytes(File("A.TXT"), Bytes(100, 'a'));
    WriteBytes(File("DATA\\MAP.DAT"), Bytes(50, 'm'));
    WriteBytes(File("C.OLD"), Bytes(10, 'c'));
    key = registry.SetDefault("Game", File("GAME.EXE"));
}

kqpmake::PatchContent GameFolder::Patch(const std::string& title,
                                        std::vector<kqpmake::FileItem> files) const {
    kqpmake::PatchContent content;
    content.title = title;
    content.directories = {RegistryDir(kGameDirectoryId, key, kCurrentUserRoot)};
    content.files = std::move(files);
    return content;
}

kqpmake::PatchContent GameFolder::FullPatch(const std::string& title) const {
    return Patch(title, {FileRecordItem(kGameDirectoryId, "A.TXT", kReplace, {1, 2, 3}),
                         FileRecordItem(kGameDirectoryId, "B.DAT", kAdd, Pattern(20000), 77),
                         FileRecordItem(kGameDirectoryId, "DATA\\MAP.DAT", kReplace, Pattern(9)),
                         FileRecordItem(kGameDirectoryId, "C.OLD", kRemove)});
}

void GameFolder::ExpectFullPatchApplied() const {
    EXPECT_EQ(ReadBytes(File("A.TXT")), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadBytes(File("B.DAT")), Pattern(20000));
    EXPECT_EQ(ReadBytes(File("DATA\\MAP.DAT")), Pattern(9));
    EXPECT_FALSE(std::filesystem::exists(File("C.OLD")));
}

std::string GameFolder::WritePatch(const std::string& name, const Bytes& bytes) const {
    WriteBytes(scratch / name, bytes);
    return scratch / name;
}

}  // namespace kqp::test
