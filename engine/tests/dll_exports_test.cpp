// The shipped DLL, loaded by name as the manager loads it: every function is
// found under its plain name and answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host_window.h"
#include "lrxpack.h"
#include "sample_replays.h"
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
    for (const char* name : {"N3Sf", "ttzS", "fUwu", "AGGa", "wG4h", "sJTU", "zTOR", "MFqc"}) {
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

TEST_F(LoadedEngine, ReportsToARealWindowAndReadsItsAnswers) {
    ASSERT_NE(module_, nullptr);
    using Add = int (*)(char*, char*, HWND, bool);
    using Extract = int (*)(char*, char*, int&, HWND, bool, int, char**);
    auto add = Find<Add>("sJTU");
    auto extract = Find<Extract>("MFqc");
    ScratchDir dir;
    const std::string archive = dir / "a.lrx";
    const std::string replay = dir / "race.rpl";
    WriteFile(replay, SampleReplay(3, 3000, 12));

    HostWindow window;
    std::vector<std::string> seen;
    window.OnMailboxChange([&](HostWindow& w) {
        seen.push_back(w.MailboxText());
        if (w.MailboxText().rfind("998", 0) == 0) w.SetMailboxText("802");
    });
    window.SetMailboxText("999");
    EXPECT_EQ(add(const_cast<char*>(archive.c_str()), const_cast<char*>(replay.c_str()),
                  window.handle(), false),
              LRX_ABORTED);

    window.SetMailboxText("0");
    seen.clear();
    ASSERT_EQ(add(const_cast<char*>(archive.c_str()), const_cast<char*>(replay.c_str()),
                  window.handle(), false),
              LRX_OK);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), "101Adding race.rpl...");
    EXPECT_GT(std::atoi(seen.back().c_str()), 50);  // percentages arrive as EN_CHANGE

    const std::string out = (dir.path() / "out").string() + "\\";
    std::filesystem::create_directories(dir.path() / "out");
    WriteFile(out + "race.rpl", Bytes{1, 2, 3});
    seen.clear();
    int mode = 3;
    char* none[] = {nullptr};
    ASSERT_EQ(extract(const_cast<char*>(archive.c_str()), const_cast<char*>(out.c_str()), mode,
                      window.handle(), true, 0, none),
              LRX_OK);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(),
                            [](const std::string& t) { return t.rfind("998", 0) == 0; }),
              1);
    EXPECT_EQ(ReadFile(out + "race.rpl"), SampleReplay(3, 3000, 12));
}

}  // namespace
}  // namespace lrx::test
