// Add, update, delete and extract through the exported functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "host_window.h"
#include "lrxpack.h"
#include "sample_replays.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// A window that records the status lines and questions it is sent.
struct RecordingWindow : HostWindow {
    std::vector<std::string> statuses, questions;
    explicit RecordingWindow(const char* answer = "800") {
        OnMailboxChange([this, answer](HostWindow& w) {
            const std::string text = w.MailboxText();
            if (text.rfind("101", 0) == 0) statuses.push_back(text);
            if (text.rfind("998", 0) != 0) return;
            questions.push_back(text.substr(3));
            answer ? w.SetMailboxText(answer) : w.Destroy();
        });
        SetMailboxText("0");
    }
};

void MakeReadOnly(const std::string& path) {
#ifdef _WIN32
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
    chmod(path.c_str(), 0444);
#endif
}

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

std::vector<int> LocalStamp() {
    const std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    return {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour, t->tm_min};
}

TEST_F(ArchiveOps, AddCreatesThenAppendsStampedWithTheLocalTime) {
    RecordingWindow window;
    const std::vector<int> before = LocalStamp();
    ASSERT_EQ(Add(Replay("One.rpl", 1), window.handle()), LRX_OK);
    const std::vector<int> after = LocalStamp();
    EXPECT_EQ(window.statuses, (std::vector<std::string>{"101Adding One.rpl..."}));
    Bytes bytes = ReadFile(archive_);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12), ArchiveHeader());
    Listing listing;
    ASSERT_EQ(wG4h(&listing.head, C(archive_)), LRX_OK);
    ASSERT_EQ(listing.Names(), (std::vector<std::string>{"one.rpl"}));
    const TFileInfo& info = *listing.head->info;
    EXPECT_EQ(listing.head->offset, 12);
    EXPECT_EQ(int32_t{info.packedSize} % 4, 0);
    EXPECT_EQ(int32_t{info.rawSize}, static_cast<int32_t>(SampleReplay(1, 60).size()));
    const std::vector<int> stamp = {info.year, info.month, info.day, info.hour, info.minute};
    EXPECT_TRUE(stamp == before || stamp == after) << info.year << "-" << info.month;

    Replay("two.rpl", 2);
    ASSERT_EQ(Add(dir_ / "two"), LRX_OK);  // no extension: reads two.rpl
    ASSERT_EQ(wG4h(&listing.head, C(archive_)), LRX_OK);
    EXPECT_EQ(listing.Names(), (std::vector<std::string>{"one.rpl", "two.rpl"}));
    EXPECT_EQ(FilesIn(dir_.path().string()).size(), 3u);  // no temporary file left
}

TEST_F(ArchiveOps, UpdateReplacesInPlaceAndKeepsOthersByteForByte) {
    for (const char* name : {"a.rpl", "b.rpl", "c.rpl"}) ASSERT_EQ(Add(Replay(name, 1)), LRX_OK);
    Listing before;
    ASSERT_EQ(wG4h(&before.head, C(archive_)), LRX_OK);
    const Bytes old = ReadFile(archive_);

    RecordingWindow window;
    WriteFile(dir_ / "B.RPL", SampleReplay(9, 90));
    ASSERT_EQ(Add(dir_ / "B.RPL", window.handle()), LRX_OK);
    EXPECT_EQ(window.statuses, (std::vector<std::string>{"101Updating B.RPL..."}));

    Listing after;
    ASSERT_EQ(wG4h(&after.head, C(archive_)), LRX_OK);
    EXPECT_EQ(after.Names(), (std::vector<std::string>{"a.rpl", "b.rpl", "c.rpl"}));
    const Bytes now = ReadFile(archive_);
    const auto a = before.Nodes()[0];
    const auto c = before.Nodes()[2];
    // a is untouched at its place; c moved but kept its bytes, date included.
    EXPECT_TRUE(
        std::equal(old.begin(), old.begin() + a->offset + a->info->packedSize + 32, now.begin()));
    EXPECT_TRUE(
        std::equal(old.begin() + c->offset, old.end(), now.begin() + after.Nodes()[2]->offset));
    EXPECT_EQ(int32_t{after.Nodes()[1]->info->rawSize},
              static_cast<int32_t>(SampleReplay(9, 90).size()));
}

TEST_F(ArchiveOps, RefusedAddsTouchNothingAndKeepTheReplay) {
    const std::string replay = Replay("keep.rpl", 1);
    const Bytes archive = ArchiveHeader(100);
    const struct {
        Bytes archive;  // empty: no archive
        std::string replay;
        int code;
    } cases[] = {
        {ArchiveHeader(99), replay, LRX_VERSION_MISMATCH},
        {ArchiveHeader(101), replay, LRX_VERSION_MISMATCH},
        {{}, dir_ / "fourteen_chars", LRX_REPLAY_NAME_TOO_LONG},  // + ".rpl"
        {archive, dir_ / "x:y.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {{}, dir_ / "tab\t.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
#ifdef _WIN32
        {archive, dir_ / "con.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {{}, dir_ / "LPT\xB9.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {archive, dir_ / "x.rpl ", LRX_REPLAY_NAME_NOT_ALLOWED},
#endif
        {Bytes(archive.begin(), archive.begin() + 3), replay, LRX_READING_FILE_HEADER},
    };
    for (const auto& c : cases) {
        fs::remove(archive_);
        if (!c.archive.empty()) WriteFile(archive_, c.archive);
        EXPECT_EQ(Add(c.replay, nullptr, true), c.code) << c.replay;
        EXPECT_EQ(fs::exists(archive_), !c.archive.empty()) << c.replay;
        EXPECT_EQ(c.archive.empty() ? Bytes{} : ReadFile(archive_), c.archive);
        EXPECT_TRUE(fs::exists(replay));
    }
    for (int32_t version : {99, 101}) {
        WriteFile(archive_, ArchiveHeader(version));
        EXPECT_EQ(Delete({"a.rpl"}), LRX_VERSION_MISMATCH);
        int mode = 2;
        EXPECT_EQ(Extract(Folder("out"), mode, nullptr), LRX_VERSION_MISMATCH);
    }
    // A folder where the archive should be is not a missing archive.
    fs::remove(archive_);
    fs::create_directories(archive_);
    EXPECT_EQ(Add(replay), LRX_READING_FILE_HEADER);
    EXPECT_TRUE(fs::is_directory(archive_));
    fs::remove(archive_);
    EXPECT_EQ(Add(dir_ / "absent.rpl"), LRX_OPENING_REPLAY);
    EXPECT_EQ(FilesIn(dir_.path().string()), (std::vector<std::string>{"keep.rpl", "out"}));
    EXPECT_EQ(Add(Replay("thirteen1.rpl", 1), nullptr, true), LRX_OK);  // moved after success
    EXPECT_FALSE(fs::exists(dir_ / "thirteen1.rpl"));
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
    RecordingWindow window;
    ASSERT_EQ(Extract(some, mode, window.handle(), {"R2.rpl", "r2.rpl", "missing.rpl"}), LRX_OK);
    EXPECT_EQ(FilesIn(some), (std::vector<std::string>{"r2.rpl"}));
    EXPECT_EQ(window.statuses, (std::vector<std::string>{"101Extracting r2.rpl..."}));
    EXPECT_EQ(window.FocusCount(), 1);
}

TEST_F(ArchiveOps, OverwriteModesAndAnswers) {
    for (const char* name : {"a.rpl", "b.rpl", "c.rpl"}) ASSERT_EQ(Add(Replay(name, 2)), LRX_OK);
#ifdef _WIN32
    const std::string out = Folder("out");
#else
    const std::string out = Folder(std::string(200, 'o') + "/" + std::string(200, 'u'));
#endif
    const Bytes mine = {1, 2, 3};
    const Bytes replay = SampleReplay(2, 60);
    const char* destroy = nullptr;
    // b is empty: overwritten without asking in every mode.
    const struct {
        int mode;
        const char* answer;
        int code;
        std::vector<std::string> questions;
        bool aOverwritten, cOverwritten;
        int modeAfter;
    } cases[] = {
        {1, "", LRX_OK, {}, false, false, 1},
        {0, "", LRX_OK, {}, true, true, 0},
        {7, "", LRX_OK, {}, true, true, 7},
        {3, "800", LRX_OK, {"a.rpl", "c.rpl"}, true, true, 3},
        {3, "801", LRX_OK, {"a.rpl", "c.rpl"}, false, false, 3},
        {3, "802", LRX_OK, {"a.rpl"}, true, true, 2},
        {3, "999", LRX_ABORTED, {"a.rpl"}, false, false, 3},
        {3, destroy, LRX_ABORTED, {"a.rpl"}, false, false, 3},
    };
    for (const auto& c : cases) {
        for (const char* name : {"a.rpl", "c.rpl"}) WriteFile(out + name, mine);
        WriteFile(out + "b.rpl", {});
        RecordingWindow window(c.answer);
        int mode = c.mode;
        EXPECT_EQ(Extract(out, mode, c.mode == 3 ? window.handle() : nullptr), c.code) << c.mode;
        std::vector<std::string> expected;
        for (const std::string& name : c.questions) expected.push_back(out + name);
        EXPECT_EQ(window.questions, expected) << c.mode;
        EXPECT_EQ(ReadFile(out + "a.rpl") == replay, c.aOverwritten) << c.mode;
        EXPECT_EQ(ReadFile(out + "c.rpl") == replay, c.cOverwritten) << c.mode;
        EXPECT_EQ(ReadFile(out + "b.rpl") == replay, c.code == LRX_OK) << c.mode;
        EXPECT_EQ(mode, c.modeAfter);
    }
    int mode = 3;
    EXPECT_EQ(Extract(out, mode, nullptr), LRX_QUERY_REQUIRES_INSTANCE);
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
    EXPECT_EQ(window.FocusCount(), 2);
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

TEST_F(ArchiveOps, CraftedNamesNeverWriteOutsideTheFolder) {
    ASSERT_EQ(sJTU(C(dir_ / "src.lrx"), C(Replay("good.rpl", 1)), nullptr, false), LRX_OK);
    const Bytes packed = ReadFile(dir_ / "src.lrx");
    std::vector<std::string> names = {"..",      "../x.rpl", "..\\x.exe", "c:x.rpl",
                                      "a/b.rpl", "",         "t\tab"};
#ifdef _WIN32
    names.insert(names.end(), {"com\xB9.rpl", "LPT\xB3", "aux.rpl", "x."});
#endif
    for (const std::string& name : names) {
        // A good replay's packed data, stored under a bad name.
        Bytes bad = packed;
        std::fill(bad.end() - 32, bad.end() - 18, 0);
        std::copy(name.begin(), name.end(), bad.end() - 32);
        WriteFile(archive_, bad);
        const std::string out = Folder("deep/out");
        int mode = 2;
        EXPECT_EQ(Extract(out, mode, nullptr), LRX_CREATING_REPLAY_FILE) << name;
        EXPECT_TRUE(FilesIn(out).empty()) << name;
        EXPECT_EQ(FilesIn((dir_.path() / "deep").string()), (std::vector<std::string>{"out"}));
    }
}

#ifndef _WIN32
mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}
#endif

TEST_F(ArchiveOps, ModesAreKeptAndReadOnlyOrUnreadableFilesRefused) {
    const std::string a = Replay("a.rpl", 1), b = Replay("b.rpl", 2);
    const std::string out = Folder("out"), ro = Folder("ro");
    Replay("ro/c.rpl", 3);
    const int failedAt = AsOrdinaryUser(dir_.path(), [&] {
        int mode = 2;
        LRX_CHECK(Add(a) == LRX_OK);
#ifndef _WIN32
        // New files get 0666 less the umask; a replaced archive keeps its mode.
        LRX_CHECK(ModeOf(archive_) == 0644);
        LRX_CHECK(Extract(out, mode, nullptr) == LRX_OK && ModeOf(out + "a.rpl") == 0644);
        chmod(archive_.c_str(), 0640);
        LRX_CHECK(Add(b) == LRX_OK && ModeOf(archive_) == 0640);
        LRX_CHECK(Delete({"b.rpl"}) == LRX_OK && ModeOf(archive_) == 0640);
        // An archive that exists but cannot be read is not a missing one.
        chmod(archive_.c_str(), 0200);
        LRX_CHECK(Add(b) == LRX_READING_FILE_HEADER);
        LRX_CHECK(Delete({"a.rpl"}) == LRX_READING_FILE_HEADER);
        LRX_CHECK(Extract(out, mode, nullptr) == LRX_READING_FILE_HEADER);
        chmod(archive_.c_str(), 0644);
        // A replay that cannot be removed after the add: 20, archive updated.
        chmod(ro.c_str(), 0555);
        LRX_CHECK(sJTU(C(archive_), C(ro + "c.rpl"), nullptr, true) == LRX_DELETING_MOVED_REPLAY);
        LRX_CHECK(fs::exists(ro + "c.rpl") && Delete({"c.rpl"}) == LRX_OK);
        // A damaged archive in a read-only folder: listed before any
        // temporary file is made, so add and delete both say 14.
        chmod(ro.c_str(), 0755);
        Bytes damaged = ArchiveHeader();
        const Bytes record = FileInfoBytes("x.rpl", 1, -4);
        damaged.insert(damaged.end(), record.begin(), record.end());
        WriteFile(ro + "d.lrx", damaged);
        WriteFile(ro + "g.lrx", ReadFile(archive_));
        chmod(ro.c_str(), 0555);
        LRX_CHECK(sJTU(C(ro + "g.lrx"), C(a), nullptr, false) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(sJTU(C(ro + "d.lrx"), C(a), nullptr, false) == LRX_READING_FILE_HEADER);
        char name[] = "x.rpl";
        char* names[] = {name};
        LRX_CHECK(zTOR(C(ro + "d.lrx"), 1, names) == LRX_READING_FILE_HEADER);
        LRX_CHECK(zTOR(C(ro + "g.lrx"), 1, names) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(sJTU(C(ro + "new.lrx"), C(a), nullptr, false) == LRX_CREATING_TEMP_FILE);
        chmod(ro.c_str(), 0755);
#endif
        const Bytes before = ReadFile(archive_);
        MakeReadOnly(archive_);
        LRX_CHECK(Add(b) == LRX_CREATING_TEMP_FILE && Delete({"a.rpl"}) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(ReadFile(archive_) == before);
        WriteFile(out + "a.rpl", {1, 2, 3});
        MakeReadOnly(out + "a.rpl");
        LRX_CHECK(Extract(out, mode, nullptr) == LRX_CREATING_REPLAY_FILE);
        LRX_CHECK(ReadFile(out + "a.rpl") == (Bytes{1, 2, 3}));
        return 0;
    });
    EXPECT_EQ(failedAt, 0) << "the line of the first failed check";
#ifdef _WIN32
    for (const std::string& file : {archive_, out + "a.rpl"}) SetFileAttributesA(file.c_str(), 0);
#else
    if (geteuid() == 0) {  // root adds to a user's archive: it stays the user's
        chmod(archive_.c_str(), 0644);
        ASSERT_EQ(Add(b), LRX_OK);
        struct stat info {};
        stat(archive_.c_str(), &info);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
#endif
}

}  // namespace
}  // namespace lrx::test
