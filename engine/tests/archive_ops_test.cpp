// Add, update, delete and extract through the exported functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host_window.h"
#include "lrxpack.h"
#include "sample_replays.h"
#include "test_files.h"

namespace lrx::test {
namespace {

namespace fs = std::filesystem;

char* C(const std::string& s) {
    return const_cast<char*>(s.c_str());
}

struct Listing {
    TFileInfoList* head = nullptr;
    ~Listing() { AGGa(&head); }
    std::vector<const TFileInfoList*> Nodes() const {
        std::vector<const TFileInfoList*> nodes;
        for (const TFileInfoList* n = head; n; n = n->next) nodes.push_back(n);
        return nodes;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TFileInfoList* n = head; n; n = n->next) names.push_back(n->info->name);
        return names;
    }
};

class ArchiveOps : public ::testing::Test {
  protected:
    std::string Replay(const std::string& name, uint32_t seed, int frames = 60) {
        const std::string path = dir_ / name;
        WriteFile(path, SampleReplay(seed, frames));
        return path;
    }
    std::string Folder(const std::string& name) {
        fs::create_directories(dir_.path() / name);
        return (dir_.path() / name).string() + static_cast<char>(fs::path::preferred_separator);
    }
    int Add(const std::string& replay, HWND window = nullptr, bool move = false) {
        return sJTU(C(archive_), C(replay), window, move);
    }
    int Delete(std::vector<std::string> names) {
        std::vector<char*> raw;
        for (auto& n : names) raw.push_back(C(n));
        return zTOR(C(archive_), static_cast<int>(raw.size()), raw.data());
    }
    int Extract(const std::string& folder, int& mode, HWND window,
                std::vector<std::string> names = {}) {
        std::vector<char*> raw;
        for (auto& n : names) raw.push_back(C(n));
        raw.push_back(nullptr);
        return MFqc(C(archive_), C(folder), mode, window, names.empty(),
                    static_cast<int>(names.size()), raw.data());
    }
    std::vector<std::string> FilesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir_;
    std::string archive_ = dir_ / "test.lrx";
};

TEST_F(ArchiveOps, AddCreatesThenAppends) {
    ASSERT_EQ(Add(Replay("One.rpl", 1)), LRX_OK);
    Bytes bytes = ReadFile(archive_);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12), ArchiveHeader());
    Listing listing;
    ASSERT_EQ(wG4h(&listing.head, C(archive_)), LRX_OK);
    ASSERT_EQ(listing.Names(), (std::vector<std::string>{"one.rpl"}));
    EXPECT_EQ(listing.head->offset, 12);
    EXPECT_EQ(int32_t{listing.head->info->packedSize} % 4, 0);
    EXPECT_EQ(int32_t{listing.head->info->rawSize},
              static_cast<int32_t>(SampleReplay(1, 60).size()));

    Replay("two.rpl", 2);
    ASSERT_EQ(Add(dir_ / "two"), LRX_OK);  // no extension: reads two.rpl
    ASSERT_EQ(wG4h(&listing.head, C(archive_)), LRX_OK);
    EXPECT_EQ(listing.Names(), (std::vector<std::string>{"one.rpl", "two.rpl"}));
    EXPECT_EQ(FilesIn(dir_.path().string()).size(), 3u);  // no temporary file left
}

TEST_F(ArchiveOps, UpdateReplacesInPlaceAndKeepsOthersByteForByte) {
    ASSERT_EQ(Add(Replay("a.rpl", 1)), LRX_OK);
    ASSERT_EQ(Add(Replay("b.rpl", 2)), LRX_OK);
    ASSERT_EQ(Add(Replay("c.rpl", 3)), LRX_OK);
    Listing before;
    ASSERT_EQ(wG4h(&before.head, C(archive_)), LRX_OK);
    const Bytes old = ReadFile(archive_);

    HostWindow window;
    std::vector<std::string> statuses;
    window.OnMailboxChange([&](HostWindow& w) {
        if (w.MailboxText().rfind("101", 0) == 0) statuses.push_back(w.MailboxText());
    });
    window.SetMailboxText("0");
    WriteFile(dir_ / "B.RPL", SampleReplay(9, 90));
    ASSERT_EQ(Add(dir_ / "B.RPL", window.handle()), LRX_OK);
    EXPECT_EQ(statuses, (std::vector<std::string>{"101Updating B.RPL..."}));

    Listing after;
    ASSERT_EQ(wG4h(&after.head, C(archive_)), LRX_OK);
    EXPECT_EQ(after.Names(), (std::vector<std::string>{"a.rpl", "b.rpl", "c.rpl"}));
    const Bytes now = ReadFile(archive_);
    const auto a = before.Nodes()[0];
    const auto c = before.Nodes()[2];
    const auto cNow = after.Nodes()[2];
    // a is untouched at its place; c moved but kept its bytes, date included.
    EXPECT_TRUE(
        std::equal(old.begin(), old.begin() + a->offset + a->info->packedSize + 32, now.begin()));
    EXPECT_TRUE(std::equal(old.begin() + c->offset, old.end(), now.begin() + cNow->offset));
    EXPECT_EQ(int32_t{after.Nodes()[1]->info->rawSize},
              static_cast<int32_t>(SampleReplay(9, 90).size()));
}

TEST_F(ArchiveOps, ForeignVersionsAndLongNamesChangeNothing) {
    for (int32_t version : {99, 101}) {
        Bytes bytes = ArchiveHeader(version);
        WriteFile(archive_, bytes);
        EXPECT_EQ(Add(Replay("a.rpl", 1)), LRX_VERSION_MISMATCH);
        EXPECT_EQ(Delete({"a.rpl"}), LRX_VERSION_MISMATCH);
        int mode = 2;
        EXPECT_EQ(Extract(Folder("out"), mode, nullptr), LRX_VERSION_MISMATCH);
        EXPECT_EQ(ReadFile(archive_), bytes);
    }
    fs::remove(archive_);
    EXPECT_EQ(Add(Replay("fourteen_chars", 1)), LRX_REPLAY_NAME_TOO_LONG);  // + ".rpl"
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(Add(Replay("thirteen1.rpl", 1)), LRX_OK);
}

TEST_F(ArchiveOps, MissingReplayLeavesNoArchiveBehind) {
    EXPECT_EQ(Add(dir_ / "absent.rpl"), LRX_OPENING_REPLAY);
    EXPECT_TRUE(FilesIn(dir_.path().string()).empty());
}

TEST_F(ArchiveOps, KeptEntriesOfEveryCopyPieceSizeCopyWhole) {
    // Entry lengths (packed bytes + 32) at the edges of the copy pieces: the
    // old 1000-byte chunk, the 4096-byte stack piece, just above it, and
    // several 1 MiB heap pieces with a rest.
    Bytes archive = ArchiveHeader();
    int index = 0;
    for (int32_t length : {1000, 4096, 4100, 3 * 1024 * 1024 + 36}) {
        const int32_t packed = length - 32;
        for (int32_t k = 0; k < packed; ++k)
            archive.push_back(static_cast<unsigned char>(k * 7 + index));
        const Bytes record = FileInfoBytes("kept" + std::to_string(index++) + ".rpl", 5000, packed);
        archive.insert(archive.end(), record.begin(), record.end());
    }
    WriteFile(archive_, archive);
    ASSERT_EQ(Add(Replay("new.rpl", 4)), LRX_OK);
    const Bytes now = ReadFile(archive_);
    ASSERT_GT(now.size(), archive.size());
    EXPECT_TRUE(std::equal(archive.begin(), archive.end(), now.begin()));
}

TEST_F(ArchiveOps, DeleteSomeAllNoneAndUnknown) {
    for (const char* name : {"a.rpl", "b.rpl", "c.rpl"}) ASSERT_EQ(Add(Replay(name, 7)), LRX_OK);
    const Bytes three = ReadFile(archive_);
    EXPECT_EQ(Delete({}), LRX_OK);
    EXPECT_EQ(ReadFile(archive_), three);
    EXPECT_EQ(Delete({"nothing.rpl"}), LRX_OK);
    EXPECT_EQ(ReadFile(archive_), three);

    EXPECT_EQ(Delete({"B.RPL"}), LRX_OK);
    Listing listing;
    ASSERT_EQ(wG4h(&listing.head, C(archive_)), LRX_OK);
    EXPECT_EQ(listing.Names(), (std::vector<std::string>{"a.rpl", "c.rpl"}));

    EXPECT_EQ(Delete({"a.rpl", "c.rpl"}), LRX_REMOVED_EMPTY_ARCHIVE);
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(Delete({"a.rpl"}), LRX_OPENING_ARCHIVE);
}

TEST_F(ArchiveOps, ExtractAllSelectedAndDuplicates) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        ASSERT_EQ(Add(Replay("r" + std::to_string(seed) + ".rpl", seed)), LRX_OK);
    }
    int mode = 2;
    const std::string all = Folder("all");
    ASSERT_EQ(Extract(all, mode, nullptr), LRX_OK);
    for (uint32_t seed : {1u, 2u, 3u}) {
        EXPECT_EQ(ReadFile(all + "r" + std::to_string(seed) + ".rpl"), SampleReplay(seed, 60));
    }
    const std::string some = Folder("some");
    ASSERT_EQ(Extract(some, mode, nullptr, {"R2.rpl", "r2.rpl", "missing.rpl"}), LRX_OK);
    EXPECT_EQ(FilesIn(some), (std::vector<std::string>{"r2.rpl"}));
}

TEST_F(ArchiveOps, OverwriteModes) {
    ASSERT_EQ(Add(Replay("a.rpl", 1)), LRX_OK);
    ASSERT_EQ(Add(Replay("b.rpl", 2)), LRX_OK);
    const std::string out = Folder("out");
    const Bytes mine = {1, 2, 3};
    auto reset = [&] {
        WriteFile(out + "a.rpl", mine);
        WriteFile(out + "b.rpl", {});  // empty files are overwritten without asking
    };

    reset();
    int mode = 1;
    ASSERT_EQ(Extract(out, mode, nullptr), LRX_OK);
    EXPECT_EQ(ReadFile(out + "a.rpl"), mine);
    EXPECT_EQ(ReadFile(out + "b.rpl"), SampleReplay(2, 60));

    reset();
    mode = 3;
    EXPECT_EQ(Extract(out, mode, nullptr), LRX_QUERY_REQUIRES_INSTANCE);

    for (const char* answer : {"800", "801", "802"}) {
        reset();
        HostWindow window;
        std::vector<std::string> questions;
        window.OnMailboxChange([&](HostWindow& w) {
            if (w.MailboxText().rfind("998", 0) == 0) {
                questions.push_back(w.MailboxText().substr(3));
                w.SetMailboxText(answer);
            }
        });
        window.SetMailboxText("0");
        mode = 3;
        ASSERT_EQ(Extract(out, mode, window.handle()), LRX_OK) << answer;
        EXPECT_EQ(questions, (std::vector<std::string>{out + "a.rpl"}));
        const bool overwritten = std::string(answer) != "801";
        EXPECT_EQ(ReadFile(out + "a.rpl") == mine, !overwritten) << answer;
        EXPECT_EQ(mode, std::string(answer) == "802" ? 2 : 3);
    }
}

TEST_F(ArchiveOps, AbortAtFirstPollTouchesNothing) {
    ASSERT_EQ(Add(Replay("a.rpl", 1)), LRX_OK);
    const Bytes before = ReadFile(archive_);
    HostWindow window;
    window.SetMailboxText("999");
    EXPECT_EQ(Add(Replay("b.rpl", 2), window.handle()), LRX_ABORTED);
    EXPECT_EQ(window.FocusCount(), 1);
    EXPECT_EQ(ReadFile(archive_), before);
    int mode = 2;
    const std::string out = Folder("out");
    EXPECT_EQ(Extract(out, mode, window.handle()), LRX_ABORTED);
    EXPECT_TRUE(FilesIn(out).empty());
}

TEST_F(ArchiveOps, AbortInTheMiddleLeavesArchiveAndDestinationAsTheyWere) {
    ASSERT_EQ(Add(Replay("a.rpl", 1)), LRX_OK);
    const Bytes before = ReadFile(archive_);
    HostWindow window;
    int reports = 0;
    window.OnMailboxChange([&](HostWindow& w) {
        if (w.MailboxText() != "999" && w.MailboxText().rfind("101", 0) != 0 && ++reports == 2) {
            w.SetMailboxText("999");
        }
    });
    window.SetMailboxText("0");
    EXPECT_EQ(Add(Replay("big.rpl", 5, 4000), window.handle()), LRX_ABORTED);
    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_EQ(FilesIn(dir_.path().string()).size(), 3u);  // archive, a.rpl, big.rpl

    ASSERT_EQ(Add(dir_ / "big.rpl"), LRX_OK);
    const std::string out = Folder("out");
    const Bytes mine = {9, 9, 9};
    WriteFile(out + "big.rpl", mine);
    reports = 0;
    window.SetMailboxText("0");
    int mode = 2;
    EXPECT_EQ(Extract(out, mode, window.handle(), {"big.rpl"}), LRX_ABORTED);
    EXPECT_EQ(ReadFile(out + "big.rpl"), mine);
    EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"big.rpl"}));
}

TEST_F(ArchiveOps, MoveRemovesTheReplayOnlyAfterSuccess) {
    const std::string replay = Replay("m.rpl", 1);
    ASSERT_EQ(Add(replay, nullptr, true), LRX_OK);
    EXPECT_FALSE(fs::exists(replay));
    EXPECT_EQ(Add(replay, nullptr, true), LRX_OPENING_REPLAY);
}

TEST_F(ArchiveOps, CraftedNamesNeverWriteOutsideTheFolder) {
    for (const char* name : {"..", "../x.rpl", "..\\x.exe", "c:x.rpl", "a/b.rpl", "", "t\tab"}) {
        Replay("good.rpl", 1);
        // An entry with a good replay's packed data, stored under a bad name.
        ASSERT_EQ(sJTU(C(dir_ / "src.lrx"), C(dir_ / "good.rpl"), nullptr, false), LRX_OK);
        Bytes packed = ReadFile(dir_ / "src.lrx");
        fs::remove(dir_ / "src.lrx");
        Bytes bad = packed;
        std::fill(bad.end() - 32, bad.end() - 18, 0);
        std::copy(name, name + std::strlen(name), bad.end() - 32);
        WriteFile(archive_, bad);
        const std::string out = Folder("deep/out");
        int mode = 2;
        EXPECT_EQ(Extract(out, mode, nullptr), LRX_CREATING_REPLAY_FILE) << name;
        EXPECT_TRUE(FilesIn(out).empty()) << name;
        EXPECT_EQ(FilesIn((dir_.path() / "deep").string()), (std::vector<std::string>{"out"}));
    }
}

}  // namespace
}  // namespace lrx::test
