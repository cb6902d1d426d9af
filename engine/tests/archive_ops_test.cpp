// Add, update, delete and extract through the exported functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "archive_ops.h"
#include "exception_barrier.h"
#include "file_info_record.h"
#include "host_window.h"
#include "lrxpack.h"
#include "lrxpack_api.h"
#include "mailbox_sink.h"
#include "replay_batch.h"
#include "sample_replays.h"
#include "temp_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lrx::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

char* C(const std::string& s) {
    return const_cast<char*>(s.c_str());
}

// Records status lines and questions; answers questions (null: destroys itself).
struct RecordingWindow : HostWindow {
    Names statuses, questions;
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
        WriteFile(dir_ / name, SampleReplay(seed, frames));
        return dir_ / name;
    }
    std::string Folder(const std::string& name) {
        fs::create_directories(dir_.path() / name);
        return (dir_.path() / name).string() + static_cast<char>(fs::path::preferred_separator);
    }
    int Add(const std::string& replay, HWND window = nullptr, bool move = false) {
        return sJTU(C(archive_), C(replay), window, move);
    }
    int Delete(Names names) {
        std::vector<char*> raw;
        for (auto& n : names) raw.push_back(C(n));
        return zTOR(C(archive_), static_cast<int>(raw.size()), raw.data());
    }
    int Extract(const std::string& folder, int& mode, HWND window = nullptr, Names names = {}) {
        std::vector<char*> raw;
        for (auto& n : names) raw.push_back(C(n));
        raw.push_back(nullptr);
        return MFqc(C(archive_), C(folder), mode, window, names.empty(),
                    static_cast<int>(names.size()), raw.data());
    }
    // The listed entries' names, or the listing's code.
    Names Listed() {
        TFileInfoList* head = nullptr;
        const int code = wG4h(&head, C(archive_));
        Names names = code ? Names{"code " + std::to_string(code)} : Names{};
        for (const TFileInfoList* n = head; n; n = n->next) names.push_back(n->info->name);
        AGGa(&head);
        return names;
    }
    Names FilesIn(const std::string& folder) {
        Names names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir_;
    std::string archive_ = dir_ / "test.lrx";
};

TEST(EntryStamp, PastJanuary2038AsWell) {
    // 2040-06-15 12:00 UTC, past the end of a 32-bit time_t; the day in
    // whatever time zone the test runs.
    const TFileInfo info = StampedAt(2223374400);
    EXPECT_EQ(info.year, 2040);
    EXPECT_EQ(info.month, 6);
    EXPECT_TRUE(info.day >= 14 && info.day <= 16) << info.day;
    EXPECT_LT(info.hour, 24);
}

// Memory or threads running out end a call with its code and the reason.
TEST(ExceptionBarrier, WhatIsThrownBecomesTheCodeAndTheReason) {
    EXPECT_EQ(ThrowsNothing(18, []() -> int { throw std::bad_alloc(); }), 18);
    EXPECT_EQ(errno, ENOMEM);
    auto noThread = []() -> int { throw std::system_error(EAGAIN, std::generic_category()); };
    EXPECT_EQ(ThrowsNothing(19, noThread), 19);
    EXPECT_EQ(errno, EAGAIN);
    EXPECT_EQ(ThrowsNothing(19, [] { return 25; }), 25);
}

TEST_F(ArchiveOps, AddUpdateAndDelete) {
    RecordingWindow window;
    const std::vector<int> before = LocalStamp();
    ASSERT_EQ(Add(Replay("One.rpl", 1), window.handle()), LRX_OK);
    const std::vector<int> after = LocalStamp();
    const Bytes one = ReadFile(archive_);
    ASSERT_GE(one.size(), 44u);
    EXPECT_EQ(Bytes(one.begin(), one.begin() + 12), ArchiveHeader());
    TFileInfoList* head = nullptr;
    ASSERT_EQ(wG4h(&head, C(archive_)), LRX_OK);
    const TFileInfo info = *head->info;
    EXPECT_EQ(head->offset, 12);
    AGGa(&head);
    EXPECT_STREQ(info.name, "one.rpl");
    EXPECT_EQ(int32_t{info.packedSize}, static_cast<int32_t>(one.size()) - 44);
    EXPECT_EQ(int32_t{info.packedSize} % 4, 0);
    EXPECT_EQ(int32_t{info.rawSize}, static_cast<int32_t>(SampleReplay(1, 60).size()));
    const std::vector<int> stamp = {info.year, info.month, info.day, info.hour, info.minute};
    EXPECT_TRUE(stamp == before || stamp == after) << info.year << "-" << info.month;

    Replay("b.rpl", 2);
    ASSERT_EQ(Add(dir_ / "b", nullptr, true), LRX_OK);  // no extension: moves b.rpl
    EXPECT_FALSE(fs::exists(dir_ / "b.rpl"));
    ASSERT_EQ(Add(Replay("c.rpl", 3)), LRX_OK);
    ASSERT_EQ(wG4h(&head, C(archive_)), LRX_OK);
    const Bytes three = ReadFile(archive_);
    const Bytes cEntry(three.begin() + head->next->next->offset, three.end());
    AGGa(&head);
    const std::string update = Folder("upd") + "B.RPL";  // b.rpl's own folder may ignore case
    WriteFile(update, SampleReplay(9, 90));
    ASSERT_EQ(Add(update, window.handle()), LRX_OK);
    EXPECT_EQ(window.statuses, (Names{"101Adding One.rpl...", "101Updating B.RPL..."}));
    EXPECT_EQ(Listed(), (Names{"one.rpl", "b.rpl", "c.rpl"}));
    // one is untouched at its place; c moved but kept its bytes, date included.
    const Bytes now = ReadFile(archive_);
    EXPECT_TRUE(std::equal(one.begin(), one.end(), now.begin()));
    EXPECT_TRUE(std::equal(cEntry.rbegin(), cEntry.rend(), now.rbegin()));
    EXPECT_NE(now.size(), three.size());
    EXPECT_EQ(FilesIn(dir_.path().string()).size(), 4u);  // no temporary file left

    EXPECT_EQ(Delete({}), LRX_OK);
    EXPECT_EQ(Delete({"nothing.rpl"}), LRX_OK);
    EXPECT_EQ(ReadFile(archive_), now);
    EXPECT_EQ(Delete({"B.RPL"}), LRX_OK);
    EXPECT_EQ(Listed(), (Names{"one.rpl", "c.rpl"}));
    EXPECT_EQ(Delete({"one.rpl", "c.rpl"}), LRX_REMOVED_EMPTY_ARCHIVE);
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(Delete({"a.rpl"}), LRX_OPENING_ARCHIVE);

    // A damaged archive holding b.rpl twice: an add updates both entries.
    WriteFile(archive_, now);
    ASSERT_EQ(wG4h(&head, C(archive_)), LRX_OK);
    Bytes doubled = now;
    doubled.insert(doubled.end(), now.begin() + head->next->offset,
                   now.begin() + head->next->next->offset);
    AGGa(&head);
    WriteFile(archive_, doubled);
    WriteFile(update, SampleReplay(5, 40));
    ASSERT_EQ(Add(update), LRX_OK);
    ASSERT_EQ(wG4h(&head, C(archive_)), LRX_OK);
    int updated = 0;
    for (const TFileInfoList* node = head; node; node = node->next) {
        updated += std::string(node->info->name) == "b.rpl" &&
                   node->info->rawSize == static_cast<int32_t>(SampleReplay(5, 40).size());
    }
    AGGa(&head);
    EXPECT_EQ(updated, 2);
}

// Two stored entries of 8 packed bytes each, a.rpl and b.rpl, behind a header
// whose data start is dataStart.
Bytes TwoEntries(int32_t dataStart) {
    Bytes bytes = ArchiveHeader();
    for (const char* name : {"a.rpl", "b.rpl"}) {
        bytes.insert(bytes.end(), 8, 0xAB);
        const Bytes record = FileInfoBytes(name, 20, 8);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    for (int i = 0; i < 4; ++i) bytes[8 + i] = static_cast<unsigned char>(dataStart >> (8 * i));
    return bytes;
}

TEST_F(ArchiveOps, RefusedAddsTouchNothingAndKeepTheReplay) {
    const std::string replay = Replay("keep.rpl", 1);
    const Bytes empty = ArchiveHeader();
    // Entries that do not cover the file from its header on: a rewrite would
    // drop a.rpl, or the bytes of a cut file.
    const Bytes sound = TwoEntries(12);
    const Bytes gaps[] = {TwoEntries(52), TwoEntries(INT32_MAX),
                          Bytes(sound.begin(), sound.begin() + 30)};
    // Joined as text: a path object would read "x:" as a drive and re-encode the
    // code page's superscripts.
    const std::string in = dir_.path().string() + "/";
    const struct {
        Bytes archive;  // empty: no archive
        std::string replay;
        int code;
    } cases[] = {
        {ArchiveHeader(99), replay, LRX_VERSION_MISMATCH},
        {ArchiveHeader(101), replay, LRX_VERSION_MISMATCH},
        {gaps[0], replay, LRX_READING_FILE_INFO},
        {gaps[1], replay, LRX_READING_FILE_INFO},
        {gaps[2], replay, LRX_READING_FILE_INFO},
        {Bytes(empty.begin(), empty.begin() + 3), replay, LRX_READING_FILE_HEADER},
        {{}, dir_ / "fourteen_chars", LRX_REPLAY_NAME_TOO_LONG},  // + ".rpl"
        {empty, in + "x:y.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {{}, in + "tab\t.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
#ifndef _WIN32  // names, not a drive and a folder, where only "/" separates
        {empty, "x:race.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {{}, "sub\\race9.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
#else
        {empty, in + "con.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {{}, in + "LPT\xB9.rpl", LRX_REPLAY_NAME_NOT_ALLOWED},
        {empty, in + "x.rpl ", LRX_REPLAY_NAME_NOT_ALLOWED},
#endif
    };
    for (const auto& c : cases) {
        fs::remove(archive_);
        if (!c.archive.empty()) WriteFile(archive_, c.archive);
        EXPECT_EQ(Add(c.replay, nullptr, true), c.code) << c.replay;
        EXPECT_EQ(c.archive.empty() ? Bytes{} : ReadFile(archive_), c.archive) << c.replay;
        EXPECT_TRUE(fs::exists(replay));
    }
    // Refused once the new archive is begun (the encoder's header check): the
    // replay to move stays too.
    const std::string refused = in + "refused.rpl";
    WriteFile(refused, Bytes(100, 0));
    WriteFile(archive_, empty);
    EXPECT_NE(Add(refused, nullptr, true), LRX_OK);
    EXPECT_TRUE(fs::exists(refused));
    fs::remove(refused);
    for (const Bytes& gap : gaps) {
        WriteFile(archive_, gap);
        EXPECT_EQ(Delete({"b.rpl"}), LRX_READING_FILE_INFO);
        EXPECT_EQ(ReadFile(archive_), gap);
    }
    WriteFile(archive_, sound);  // covered: the same rewrite goes through
    EXPECT_EQ(Delete({"b.rpl"}), LRX_OK);
    EXPECT_EQ(Listed(), (Names{"a.rpl"}));
    WriteFile(archive_, ArchiveHeader(99));
    EXPECT_EQ(Delete({"a.rpl"}), LRX_VERSION_MISMATCH);
    int mode = 2;
    EXPECT_EQ(Extract(Folder("out"), mode), LRX_VERSION_MISMATCH);
    // A folder where the archive should be is not a missing archive.
    fs::remove(archive_);
    fs::create_directories(archive_);
    EXPECT_EQ(Add(replay), LRX_READING_FILE_HEADER);
    fs::remove(archive_);
    EXPECT_EQ(Add(dir_ / "absent.rpl"), LRX_OPENING_REPLAY);
    EXPECT_EQ(FilesIn(dir_.path().string()), (Names{"keep.rpl", "out"}));
    EXPECT_EQ(Add(replay, nullptr, true), LRX_OK);  // moved after a success
    EXPECT_FALSE(fs::exists(replay));
}

TEST_F(ArchiveOps, AnAddPastTwoGiBIsRefusedBeforeAnythingIsWritten) {
    // The longest archive the format addresses, sparse: one entry whose
    // packed data is a hole.
    const int64_t longest = kMaxArchiveLength / 4 * 4;
    const Bytes header = ArchiveHeader(),
                record = FileInfoBytes("big.rpl", 1, static_cast<int32_t>(longest - 12 - 32));
    auto tail = [&] {
        std::ifstream in(archive_, std::ios::binary);
        in.seekg(-32, std::ios::end);
        Bytes bytes(32);
        in.read(reinterpret_cast<char*>(bytes.data()), 32);
        return bytes;
    };
    {
        std::ofstream out(archive_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), 12);
        out.seekp(longest - 32);
        out.write(reinterpret_cast<const char*>(record.data()), 32);
    }
    ASSERT_EQ(static_cast<int64_t>(fs::file_size(archive_)), longest);
    ASSERT_EQ(Listed(), (Names{"big.rpl"}));
    const std::string small = Replay("small.rpl", 1);
    EXPECT_EQ(Add(small, nullptr, true), LRX_ARCHIVE_TOO_LARGE);
    EXPECT_STREQ(fUwu(LRX_ARCHIVE_TOO_LARGE), "Archive too large");
    EXPECT_STREQ(fUwu(LRX_LAST_RESULT + 1), "Unknown error");
    EXPECT_EQ(static_cast<int64_t>(fs::file_size(archive_)), longest);
    EXPECT_EQ(tail(), record);
    EXPECT_EQ(FilesIn(dir_.path().string()), (Names{"small.rpl", "test.lrx"}));
    // Updating the one entry keeps nothing of the old archive: that fits.
    EXPECT_EQ(Add(Replay("BIG.rpl", 2)), LRX_OK);
    EXPECT_EQ(Listed(), (Names{"big.rpl"}));
    EXPECT_LT(fs::file_size(archive_), 100000u);
}

TEST_F(ArchiveOps, LinkedArchivesStayLinked) {
#ifndef _WIN32
    // Through a symbolic link (relative, into another folder) the archive it
    // leads to changes; the link stays a link.
    Folder("real");
    const std::string real = dir_ / "real/a.lrx", link = dir_ / "link.lrx";
    archive_ = real;
    ASSERT_EQ(Add(Replay("one.rpl", 1)), LRX_OK);
    fs::create_symlink("real/a.lrx", link);
    archive_ = link;
    EXPECT_EQ(Add(Replay("two.rpl", 2)), LRX_OK);
    EXPECT_EQ(Delete({"one.rpl"}), LRX_OK);
    EXPECT_TRUE(fs::is_symlink(link));
    archive_ = real;
    EXPECT_EQ(Listed(), (Names{"two.rpl"}));
    EXPECT_EQ(FilesIn(dir_ / "real"), (Names{"a.lrx"}));
    archive_ = link;
    EXPECT_EQ(Delete({"two.rpl"}), LRX_REMOVED_EMPTY_ARCHIVE);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::exists(real));
    // A link to nothing (yet): the archive is made where it leads.
    EXPECT_EQ(Add(dir_ / "one.rpl"), LRX_OK);
    EXPECT_TRUE(fs::is_symlink(link));
    archive_ = real;
    EXPECT_EQ(Listed(), (Names{"one.rpl"}));
#endif
    // A hard-linked archive is one file under two names: a new archive in its
    // place would leave the other name on the old file. Refused.
    archive_ = dir_ / "h.lrx";
    ASSERT_EQ(Add(Replay("one.rpl", 1)), LRX_OK);
    fs::create_hard_link(archive_, dir_ / "other.lrx");
    const Bytes before = ReadFile(archive_);
    EXPECT_EQ(Add(Replay("two.rpl", 2), nullptr, true), LRX_CREATING_TEMP_FILE);
    EXPECT_EQ(Delete({"one.rpl"}), LRX_CREATING_TEMP_FILE);
    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_EQ(ReadFile(dir_ / "other.lrx"), before);
    EXPECT_TRUE(fs::exists(dir_ / "two.rpl"));
    fs::remove(dir_ / "other.lrx");
    EXPECT_EQ(Add(dir_ / "two.rpl"), LRX_OK);
}

TEST_F(ArchiveOps, KeptEntriesOfEveryCopyPieceSizeCopyWhole) {
    // Entry lengths (packed bytes + 32) at the edges of the copy pieces: the
    // old 1000-byte chunk, the 4096-byte stack piece, just above it, and
    // several 1 MiB heap pieces with a rest.
    Bytes archive = ArchiveHeader();
    int index = 0;
    for (int32_t length : {1000, 4096, 4100, 3 * 1024 * 1024 + 36}) {
        for (int32_t k = 0; k < length - 32; ++k)
            archive.push_back(static_cast<unsigned char>(k * 7 + index));
        const Bytes record = FileInfoBytes("k" + std::to_string(index++), 5000, length - 32);
        archive.insert(archive.end(), record.begin(), record.end());
    }
    WriteFile(archive_, archive);
    ASSERT_EQ(Add(Replay("new.rpl", 4)), LRX_OK);
    const Bytes now = ReadFile(archive_);
    ASSERT_GT(now.size(), archive.size());
    EXPECT_TRUE(std::equal(archive.begin(), archive.end(), now.begin()));
}

TEST_F(ArchiveOps, ExtractSelectedOncePerName) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        ASSERT_EQ(Add(Replay("r" + std::to_string(seed) + ".rpl", seed)), LRX_OK);
    }
    int mode = 2;
    const std::string some = Folder("some");
    RecordingWindow window;
    ASSERT_EQ(Extract(some, mode, window.handle(), {"R2.rpl", "r2.rpl", "missing.rpl"}), LRX_OK);
    EXPECT_EQ(FilesIn(some), (Names{"r2.rpl"}));
    EXPECT_EQ(window.statuses, (Names{"101Extracting r2.rpl..."}));
    EXPECT_EQ(window.FocusCount(), 1);
}

TEST_F(ArchiveOps, OverwriteModesAndAnswers) {
    for (const char* name : {"a.rpl", "b.rpl", "c.rpl"}) ASSERT_EQ(Add(Replay(name, 2)), LRX_OK);
#ifdef _WIN32
    const std::string out = Folder("out");
#else  // the question carries paths longer than any fixed buffer
    const std::string out = Folder(std::string(200, 'o') + "/" + std::string(200, 'u'));
#endif
    const Bytes mine = {1, 2, 3}, replay = SampleReplay(2, 60);
    const char* destroy = nullptr;
    // a and c exist; b is empty and overwritten without asking in every mode.
    const struct {
        int mode;
        const char* answer;
        int code;
        Names questions;
        bool overwritten;  // a and c
        int modeAfter;
    } cases[] = {
        {1, "", LRX_OK, {}, false, 1},
        {0, "", LRX_OK, {}, true, 0},
        {7, "", LRX_OK, {}, true, 7},
        {3, "800", LRX_OK, {"a.rpl", "c.rpl"}, true, 3},
        {3, "801", LRX_OK, {"a.rpl", "c.rpl"}, false, 3},
        {3, "802", LRX_OK, {"a.rpl"}, true, 2},
        {3, "999", LRX_ABORTED, {"a.rpl"}, false, 3},
        {3, destroy, LRX_ABORTED, {"a.rpl"}, false, 3},
    };
    for (const auto& c : cases) {
        for (const char* name : {"a.rpl", "c.rpl"}) WriteFile(out + name, mine);
        WriteFile(out + "b.rpl", {});
        RecordingWindow window(c.answer);
        int mode = c.mode;
        EXPECT_EQ(Extract(out, mode, c.mode == 3 ? window.handle() : nullptr), c.code) << c.mode;
        Names expected;
        for (const std::string& name : c.questions) expected.push_back(out + name);
        EXPECT_EQ(window.questions, expected) << c.mode;
        EXPECT_EQ(ReadFile(out + "a.rpl") == replay, c.overwritten) << c.mode;
        EXPECT_EQ(ReadFile(out + "c.rpl") == replay, c.overwritten) << c.mode;
        EXPECT_EQ(ReadFile(out + "b.rpl") == replay, c.code == LRX_OK) << c.mode;
        EXPECT_EQ(mode, c.modeAfter);
    }
    int mode = 3;
    EXPECT_EQ(Extract(out, mode), LRX_QUERY_REQUIRES_INSTANCE);
}

TEST_F(ArchiveOps, AbortLeavesArchiveAndDestinationAsTheyWere) {
    ASSERT_EQ(Add(Replay("a.rpl", 1)), LRX_OK);
    const Bytes before = ReadFile(archive_);
    const std::string out = Folder("out");
    HostWindow window;
    window.SetMailboxText("999");  // at the first poll: nothing is touched
    EXPECT_EQ(Add(Replay("big.rpl", 5, 4000), window.handle()), LRX_ABORTED);
    int mode = 2;
    EXPECT_EQ(Extract(out, mode, window.handle()), LRX_ABORTED);
    EXPECT_EQ(window.FocusCount(), 2);
    EXPECT_TRUE(FilesIn(out).empty());

    int reports = 0;  // in the middle of the replay
    std::string inProgress;
    window.OnMailboxChange([&](HostWindow& w) {
        if (w.MailboxText() != "999" && w.MailboxText().rfind("101", 0) != 0 && ++reports == 2) {
            if (TempFileInProgress()) inProgress = TempFileInProgress();
            w.SetMailboxText("999");
        }
    });
    window.SetMailboxText("0");
    EXPECT_EQ(Add(dir_ / "big.rpl", window.handle()), LRX_ABORTED);
    EXPECT_EQ(fs::path(inProgress).parent_path(), dir_.path());  // for a signal handler
    EXPECT_EQ(TempFileInProgress(), nullptr);
    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_EQ(FilesIn(dir_.path().string()).size(), 4u);  // archive, a, big, out

    ASSERT_EQ(Add(dir_ / "big.rpl"), LRX_OK);
    WriteFile(out + "big.rpl", {9, 9, 9});
    reports = 0;
    window.SetMailboxText("0");
    EXPECT_EQ(Extract(out, mode, window.handle(), {"big.rpl"}), LRX_ABORTED);
    EXPECT_EQ(ReadFile(out + "big.rpl"), (Bytes{9, 9, 9}));
    EXPECT_EQ(FilesIn(out), (Names{"big.rpl"}));
}

// Many replays in one call: a failure anywhere leaves the archive as it was
// and names the replay; any job count gives the same archive and files.
TEST_F(ArchiveOps, BatchesFailWholeAndComeOutTheSameForEveryJobCount) {
    ASSERT_EQ(Add(Replay("b.rpl", 9)), LRX_OK);
    ASSERT_EQ(Add(Replay("k.rpl", 5, 2000)), LRX_OK);  // large, kept behind b
    const Bytes before = ReadFile(archive_);
    Folder("sub");
    const std::string r1 = Replay("r1.rpl", 1, 400), r2 = Replay("b.rpl", 2, 400),
                      r3 = Replay("r3.rpl", 3, 400), dup = Replay("sub/r1.rpl", 4, 400),
                      long14 = dir_ / "fourteen_chars";
    auto batch = [](std::vector<std::string> paths, bool move = false) {
        std::vector<ReplayToAdd> replays;
        for (const std::string& p : paths) replays.push_back({p, move});
        return replays;
    };
    // The longest archive allowed, lowered: with the two new records alone
    // the archive just fits, and the first packed replay takes it past; or
    // it may not grow, and b grows when updated, before k is copied.
    const int64_t roomForRecords = static_cast<int64_t>(before.size()) + 2 * 32;
    const struct {
        std::vector<ReplayToAdd> replays;
        int atStatus;  // aborted at that status report; 0: never
        int code;
        std::size_t failed;
        int64_t maxLength = kMaxArchiveLength;
        // No archive at the start: instead of the abort, another add's
        // archive appears, which must not be replaced.
        bool appears = false;
    } failing[] = {
        {batch({r1, dir_ / "gone.rpl", r3}), 0, LRX_OPENING_REPLAY, 1},
        {batch({r1, r3, long14}), 0, LRX_REPLAY_NAME_TOO_LONG, 2},
        {batch({r1, r2, r3}), 2, LRX_ABORTED, 0},  // updating b, adding r1
        {batch({r1, r3}, true), 0, LRX_ARCHIVE_TOO_LARGE, 0, roomForRecords},
        {batch({r1, r3}, true), 0, LRX_ARCHIVE_TOO_LARGE, kNoReplay, roomForRecords - 1},
        {batch({r2}, true), 0, LRX_ARCHIVE_TOO_LARGE, kNoReplay,
         static_cast<int64_t>(before.size())},
        {batch({r1, r3}, true), 2, LRX_CREATING_TEMP_FILE, kNoReplay, kMaxArchiveLength, true},
    };
    for (unsigned jobs : {1u, 3u}) {
        for (const auto& c : failing) {
            HostWindow window;
            int statuses = 0;
            window.OnMailboxChange([&](HostWindow& w) {
                if (w.MailboxText().rfind("101", 0) != 0 || ++statuses != c.atStatus) return;
                c.appears ? WriteFile(archive_, before) : w.SetMailboxText("999");
            });
            window.SetMailboxText("0");
            if (c.appears) fs::remove(archive_);
            MailboxSink sink(window.handle());
            OperationContext ctx(sink, LRX_CALL_ADD);
            const int code = AddReplays(ctx, archive_, c.replays, jobs, c.maxLength);
            // What a message tells apart from a failed write.
            const bool taken = ctx.failure.systemError == EEXIST;
            EXPECT_EQ(code, c.code);
            EXPECT_EQ(ctx.failure.code, c.code);
            EXPECT_EQ(taken, c.appears) << c.code;
            EXPECT_EQ(ctx.failure.item, c.failed) << c.code;
            EXPECT_EQ(ReadFile(archive_), before) << c.code;
            EXPECT_EQ(FilesIn(dir_.path().string()).size(), 6u) << c.code;  // no temporary file
        }
    }
    // The later of two r1.rpl wins; b.rpl is updated in its place. Small
    // replays, more than the encoders' ring has slots, go round it again and
    // again: every job count gives the same archive every time, and none hangs.
    std::vector<ReplayToAdd> all = batch({r1, r2, r3, dup});
    std::vector<std::pair<std::string, std::string>> sources = {
        {"r1.rpl", dup}, {"b.rpl", r2}, {"r3.rpl", r3}};
    for (uint32_t i = 0; i < 40; ++i) {
        const std::string name = "s" + std::to_string(i) + ".rpl";
        all.push_back({Replay(name, 100 + i, 2)});
        sources.emplace_back(name, all.back().path);
    }
    const Watchdog watchdog(std::chrono::seconds(60), "adding on several threads");
    std::vector<Bytes> archives;
    std::vector<int> stamp;
    do {
        stamp = LocalStamp();  // archives made across a minute differ in their dates
        archives.clear();
        for (int round = 0; round < 3; ++round) {
            for (unsigned jobs : {1u, 2u, 3u, 4u, 8u}) {
                fs::remove(archive_);
                WriteFile(archive_, before);
                ProgressSink none;
                OperationContext ctx(none, LRX_CALL_ADD);
                ASSERT_EQ(AddReplays(ctx, archive_, all, jobs), 0) << jobs;
                archives.push_back(ReadFile(archive_));
            }
        }
    } while (stamp != LocalStamp());
    for (std::size_t i = 1; i < archives.size(); ++i) {
        EXPECT_TRUE(archives[i] == archives[0]) << "run " << i;
    }
    const Names listed = Listed();
    ASSERT_EQ(listed.size(), 44u);
    EXPECT_EQ(Names(listed.begin(), listed.begin() + 5),
              (Names{"b.rpl", "k.rpl", "r3.rpl", "r1.rpl", "s0.rpl"}));
    for (unsigned jobs : {1u, 3u}) {
        const std::string out = Folder("out" + std::to_string(jobs));
        int mode = 2;
        ProgressSink none;
        OperationContext ctx(none, LRX_CALL_EXTRACT);
        ASSERT_EQ(ExtractEntries(ctx, archive_.c_str(), out, mode, true, 0, nullptr, jobs), 0);
        for (const auto& [name, source] : sources) {
            EXPECT_TRUE(ReadFile(out + name) == ReadFile(source)) << name << ", jobs " << jobs;
        }
    }
    // --move removes the replay stored, not the one of its name it replaced.
    ProgressSink none;
    OperationContext ctx(none, LRX_CALL_ADD);
    ASSERT_EQ(AddReplays(ctx, archive_, batch({r1, dup}, true), 2), LRX_OK);
    EXPECT_TRUE(fs::exists(r1));
    EXPECT_FALSE(fs::exists(dup));
}

// An entry that cannot be extracted ends the extraction, and nothing is
// written outside the folder; the entries before it are extracted all the
// same, though they wait in its group.
TEST_F(ArchiveOps, CraftedNamesNeverWriteOutsideTheFolder) {
    ASSERT_EQ(Add(Replay("good.rpl", 1)), LRX_OK);
    const Bytes packed = ReadFile(archive_);
    Names names = {"..", "../x.rpl", "..\\x.exe", "c:x.rpl", "a/b.rpl", "", "t\tab"};
#ifdef _WIN32
    names.insert(names.end(), {"com\xB9.rpl", "LPT\xB3", "aux.rpl", "x."});
#endif
    const std::string out = Folder("deep/out");
    const Bytes undecodable = TwoEntries(12);
    for (const std::string& name : names) {
        // good.rpl, then its packed data again under a bad name.
        Bytes bad = packed;
        bad.insert(bad.end(), packed.begin() + 12, packed.end());
        std::fill(bad.end() - 32, bad.end() - 18, 0);
        std::copy(name.begin(), name.end(), bad.end() - 32);
        WriteFile(archive_, bad);
        int mode = 2;
        EXPECT_EQ(Extract(out, mode), LRX_REPLAY_NAME_NOT_ALLOWED) << name;
        EXPECT_EQ(FilesIn(out), (Names{"good.rpl"})) << name;
        EXPECT_EQ(FilesIn((dir_.path() / "deep").string()), (Names{"out"}));
        fs::remove(out + "good.rpl");
    }
    // good.rpl, then a.rpl whose packed data does not decode, then z.rpl:
    // the failure is reported against a.rpl, and good.rpl is still written.
    Bytes bad = packed;
    bad.insert(bad.end(), undecodable.begin() + 12, undecodable.begin() + 52);
    bad.insert(bad.end(), packed.begin() + 12, packed.end());
    bad[bad.size() - 32] = 'z';
    WriteFile(archive_, bad);
    for (unsigned jobs : {1u, 3u}) {
        int mode = 2;
        RecordingWindow window;
        MailboxSink sink(window.handle());
        OperationContext ctx(sink, LRX_CALL_EXTRACT);
        EXPECT_EQ(ExtractEntries(ctx, archive_.c_str(), out, mode, true, 0, nullptr, jobs),
                  LRX_READING_HEADER);
        EXPECT_EQ(window.statuses.back(), "101Extracting a.rpl...") << jobs;
        EXPECT_EQ(ctx.failure.entry, "a.rpl") << jobs;
        EXPECT_EQ(ctx.failure.path, archive_) << jobs;
        EXPECT_EQ(FilesIn(out), (Names{"good.rpl"})) << jobs;
        EXPECT_EQ(ReadFile(out + "good.rpl"), SampleReplay(1, 60)) << jobs;
        fs::remove(out + "good.rpl");
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
        LRX_CHECK(Extract(out, mode) == LRX_OK && ModeOf(out + "a.rpl") == 0644);
        // A file the user cannot read exists all the same: skip keeps it, ask asks.
        for (const mode_t unreadable : {0200, 0000}) {
            WriteFile(out + "a.rpl", {1, 2, 3});
            chmod((out + "a.rpl").c_str(), unreadable);
            int skip = 1, ask = 3;
            LRX_CHECK(Extract(out, skip) == LRX_OK);
            RecordingWindow no("801");
            LRX_CHECK(Extract(out, ask, no.handle()) == LRX_OK);
            LRX_CHECK(no.questions == Names{out + "a.rpl"});
            chmod((out + "a.rpl").c_str(), 0644);
            LRX_CHECK(ReadFile(out + "a.rpl") == (Bytes{1, 2, 3}));
        }
        chmod(archive_.c_str(), 0640);
        LRX_CHECK(Add(b) == LRX_OK && ModeOf(archive_) == 0640);
        LRX_CHECK(Delete({"b.rpl"}) == LRX_OK && ModeOf(archive_) == 0640);
        // An archive that exists but cannot be read is not a missing one.
        chmod(archive_.c_str(), 0200);
        LRX_CHECK(Add(b) == LRX_READING_FILE_HEADER);
        LRX_CHECK(Delete({"a.rpl"}) == LRX_READING_FILE_HEADER);
        LRX_CHECK(Extract(out, mode) == LRX_READING_FILE_HEADER);
        chmod(archive_.c_str(), 0644);
        // A replay that cannot be removed after the add: 20, archive updated.
        chmod(ro.c_str(), 0555);
        LRX_CHECK(sJTU(C(archive_), C(ro + "c.rpl"), nullptr, true) == LRX_DELETING_MOVED_REPLAY);
        LRX_CHECK(fs::exists(ro + "c.rpl") && Delete({"c.rpl"}) == LRX_OK);
        // In a read-only folder a damaged archive is listed before any
        // temporary file is made: add and delete both say 14; a sound one 18.
        chmod(ro.c_str(), 0755);
        Bytes damaged = ArchiveHeader();
        for (unsigned char byte : FileInfoBytes("x.rpl", 1, -4)) damaged.push_back(byte);
        WriteFile(ro + "d.lrx", damaged);
        WriteFile(ro + "g.lrx", ReadFile(archive_));
        chmod(ro.c_str(), 0555);
        char name[] = "a.rpl";
        char* names[] = {name};
        LRX_CHECK(sJTU(C(ro + "d.lrx"), C(a), nullptr, false) == LRX_READING_FILE_HEADER);
        LRX_CHECK(zTOR(C(ro + "d.lrx"), 1, names) == LRX_READING_FILE_HEADER);
        LRX_CHECK(sJTU(C(ro + "g.lrx"), C(b), nullptr, false) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(zTOR(C(ro + "g.lrx"), 1, names) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(sJTU(C(ro + "new.lrx"), C(a), nullptr, false) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(FilesIn(ro) == (Names{"c.rpl", "d.lrx", "g.lrx"}));
        chmod(ro.c_str(), 0755);
#endif
        const Bytes before = ReadFile(archive_);
        MakeReadOnly(archive_);
        LRX_CHECK(Add(b) == LRX_CREATING_TEMP_FILE && Delete({"a.rpl"}) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(Delete({"ghost.rpl"}) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(ReadFile(archive_) == before);
        WriteFile(out + "a.rpl", {1, 2, 3});
        MakeReadOnly(out + "a.rpl");
        LRX_CHECK(Extract(out, mode) == LRX_CREATING_REPLAY_FILE);
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

#ifndef _WIN32
TEST_F(ArchiveOps, DiskFullLeavesNothingBehind) {
    ASSERT_EQ(Add(Replay("small.rpl", 1, 2000)), LRX_OK);
    const Bytes before = ReadFile(archive_);
    const std::string large = Replay("large.rpl", 2, 4000), fresh = dir_ / "fresh.lrx";
    // Files may not grow past the limit: the copy of the kept entries runs
    // out of room, and so does the encoding into a new archive: 18 for both,
    // as for a delete.
    const int failedAt = AsOrdinaryUser(dir_.path(), [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = before.size() / 2;
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        LRX_CHECK(Add(large) == LRX_CREATING_TEMP_FILE);
        LRX_CHECK(sJTU(C(fresh), C(large), nullptr, false) == LRX_CREATING_TEMP_FILE);
        return 0;
    });
    EXPECT_EQ(failedAt, 0);
    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_EQ(FilesIn(dir_.path().string()), (Names{"large.rpl", "small.rpl", "test.lrx"}));
}
#endif

}  // namespace
}  // namespace lrx::test
