// The shipped DLL, loaded by name as the manager loads it: every function is
// found under its plain name and answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lrxpack.h"
#include "test_files.h"

namespace lrx::test {
namespace {

class LoadedEngine : public ::testing::Test {
protected:
    void SetUp() override { module_ = LoadLibraryA("lrxpack.dll"); }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    template <typename Function>
    Function Find(const char* name) {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HMODULE module_ = nullptr;
};

TEST_F(LoadedEngine, ExportsPlainNames) {
    ASSERT_NE(module_, nullptr);
    for (const char* name : {"N3Sf", "ttzS", "fUwu", "AGGa", "wG4h"}) {
        EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
    }
    EXPECT_EQ(Find<int (*)()>("N3Sf")(), 100);
    EXPECT_STREQ(Find<const char* (*)(int)>("fUwu")(23), "Aborted");
}

TEST_F(LoadedEngine, ListsAnArchiveThroughTheDll) {
    ASSERT_NE(module_, nullptr);
    ScratchDir dir;
    Bytes archive = ArchiveHeader();
    archive.resize(archive.size() + 8, 0);
    const Bytes record = FileInfoBytes("a.rpl", 100, 8);
    archive.insert(archive.end(), record.begin(), record.end());
    WriteFile(dir / "a.lrx", archive);

    auto list = Find<int (*)(TFileInfoList**, char*)>("wG4h");
    auto release = Find<void (*)(TFileInfoList**)>("AGGa");
    TFileInfoList* head = nullptr;
    const std::string path = dir / "a.lrx";
    ASSERT_EQ(list(&head, const_cast<char*>(path.c_str())), LRX_OK);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->offset, 12);
    EXPECT_STREQ(head->info->name, "a.rpl");
    release(&head);
    EXPECT_EQ(head, nullptr);
}

}  // namespace
}  // namespace lrx::test
