// The C API as a program uses it: codes and failure records, callbacks that
// report, ask and stop, and two archives worked on at once.
#include "lrxpack_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sample_replays.h"
#include "test_files.h"

namespace lrx::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string Message(const lrx_failure& failure) {
    char text[600];
    const std::size_t length = lrx_failure_message(&failure, text, sizeof text);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

std::vector<const char*> Pointers(const Names& names) {
    std::vector<const char*> pointers;
    for (const std::string& name : names) pointers.push_back(name.c_str());
    return pointers;
}

int Add(const std::string& archive, const Names& replays, unsigned jobs = 1,
        const lrx_callbacks* callbacks = nullptr, lrx_failure* failure = nullptr) {
    lrx_failure ignored;
    const lrx_add_options options{jobs, 0, 0};
    return lrx_add(archive.c_str(), Pointers(replays).data(), replays.size(), &options, callbacks,
                   failure ? failure : &ignored);
}

int Extract(const std::string& archive, const std::string& folder, int overwrite,
            const lrx_callbacks* callbacks = nullptr, lrx_failure* failure = nullptr) {
    lrx_failure ignored;
    const lrx_extract_options options{2, overwrite};
    return lrx_extract(archive.c_str(), folder.c_str(), nullptr, 0, &options, callbacks,
                       failure ? failure : &ignored);
}

// What the callbacks saw, and how they answer.
struct Script {
    Names entries, done, asked;
    std::vector<int> answers;
    int stopAtPercent = -1;  // -1: never
    static int Progress(void* user, const char* entry, int percent) {
        auto* self = static_cast<Script*>(user);
        if (percent == 0) self->entries.push_back(entry);
        if (percent == 100) self->done.push_back(entry);
        return self->stopAtPercent >= 0 && percent >= self->stopAtPercent;
    }
    static int Overwrite(void* user, const char* path) {
        auto* self = static_cast<Script*>(user);
        self->asked.push_back(fs::path(path).filename().string());
        const int answer = self->answers.empty() ? LRX_ANSWER_NO : self->answers.front();
        if (!self->answers.empty()) self->answers.erase(self->answers.begin());
        return answer;
    }
    lrx_callbacks callbacks() { return {this, &Progress, &Overwrite}; }
};

// A writer for lrx_read_to: into a Bytes, or failing as a closed pipe does.
int Collect(void* writer, const unsigned char* bytes, std::size_t size) {
    auto* into = static_cast<Bytes*>(writer);
    into->insert(into->end(), bytes, bytes + size);
    return 0;
}
int RefuseAsAClosedPipe(void*, const unsigned char*, std::size_t) {
    return EPIPE;
}

// A failure record as a call fills it.
lrx_failure Record(int code, int systemError, int call, const std::string& path) {
    lrx_failure failure{};
    failure.code = code;
    failure.system_error = systemError;
    failure.call = call;
    std::snprintf(failure.path, sizeof failure.path, "%s", path.c_str());
    return failure;
}

TEST(CApi, ListReadTestPackAndUnpackGiveWhatWasAdded) {
    EXPECT_STREQ(lrx_version(), LRXPACK_VERSION_STRING);
    EXPECT_EQ(lrx_version_number(), 10200);
    ScratchDir dir;
    const std::string archive = dir / "a.lrx";
    Names replays;
    for (uint32_t seed : {1u, 2u, 3u}) {
        replays.push_back(dir / ("R" + std::to_string(seed) + ".rpl"));
        WriteFile(replays.back(), SampleReplay(seed, 80));
    }
    Script script;
    lrx_callbacks callbacks = script.callbacks();
    lrx_failure failure;
    ASSERT_EQ(Add(archive, replays, 2, &callbacks, &failure), LRX_OK);
    EXPECT_EQ(failure.code, 0);
    EXPECT_EQ(script.entries, (Names{"R1.rpl", "R2.rpl", "R3.rpl"}));
    EXPECT_EQ(script.done, script.entries);

    // Extraction reports each entry done, and leaves standard output alone.
    Script extracting;
    callbacks = extracting.callbacks();
    fs::create_directories(dir.path() / "out");
    testing::internal::CaptureStdout();
    const int extracted = Extract(archive, dir / "out", LRX_OVERWRITE_ALWAYS, &callbacks);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(extracted, LRX_OK);
    EXPECT_EQ(extracting.done, (Names{"r1.rpl", "r2.rpl", "r3.rpl"}));

    lrx_entry* entries = nullptr;
    std::size_t count = 0;
    ASSERT_EQ(lrx_list(archive.c_str(), &entries, &count, &failure), LRX_OK);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(entries[1].name, "r2.rpl");
    EXPECT_EQ(entries[1].raw_size, static_cast<int32_t>(SampleReplay(2, 80).size()));
    lrx_free(entries);

    unsigned char* replay = nullptr;
    std::size_t size = 0;
    ASSERT_EQ(lrx_read(archive.c_str(), "R2.RPL", &replay, &size, &failure), LRX_OK);
    EXPECT_EQ(Bytes(replay, replay + size), SampleReplay(2, 80));
    lrx_free(replay);
    // The same through a writer, reported as an extraction.
    Bytes written;
    Script reading;
    callbacks = reading.callbacks();
    ASSERT_EQ(lrx_read_to(archive.c_str(), "r2.RPL", &Collect, &written, &callbacks, &failure),
              LRX_OK);
    EXPECT_EQ(written, SampleReplay(2, 80));
    EXPECT_EQ(reading.done, (Names{"r2.rpl"}));
    // And as it is decoded.
    written.clear();
    ASSERT_EQ(lrx_read_stream(archive.c_str(), "r3.rpl", &Collect, &written, &callbacks, &failure),
              LRX_OK);
    EXPECT_EQ(written, SampleReplay(3, 80));
    EXPECT_EQ(reading.done, (Names{"r2.rpl", "r3.rpl"}));
    EXPECT_EQ(lrx_check_replay(replays[0].c_str(), &failure), LRX_OK);

    lrx_test_entry* report = nullptr;
    ASSERT_EQ(lrx_test(archive.c_str(), &report, &count, nullptr, &failure), LRX_OK);
    ASSERT_EQ(count, 3u);
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(report[i].code, 0) << report[i].problem;
    lrx_free(report);

    const Bytes source = SampleReplay(4, 200);
    unsigned char *packed = nullptr, *back = nullptr;
    std::size_t packedSize = 0;
    ASSERT_EQ(lrx_pack(source.data(), source.size(), &packed, &packedSize, &failure), LRX_OK);
    EXPECT_EQ(packedSize % 4, 0u);
    ASSERT_EQ(lrx_unpack(packed, packedSize, source.size(), &back, &failure), LRX_OK);
    EXPECT_EQ(Bytes(back, back + source.size()), source);
    lrx_free(back);
    // Cut short, the data gives a reading code and no replay.
    EXPECT_NE(lrx_unpack(packed, packedSize / 2, source.size(), &back, &failure), LRX_OK);
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(failure.call, LRX_CALL_UNPACK);
    // A raw size the record cannot hold, or one byte short of the replay:
    // codes, no replay, nothing written past the memory it had.
    EXPECT_EQ(lrx_unpack(packed, packedSize, std::size_t{INT32_MAX} + 1, &back, &failure),
              LRX_READING_HEADER);
    EXPECT_EQ(back, nullptr);
    EXPECT_NE(lrx_unpack(packed, packedSize, source.size() - 1, &back, &failure), LRX_OK);
    EXPECT_EQ(back, nullptr);
    // The same cut entry in an archive: read whole first, the writer gets
    // nothing; read as decoded, the replay's start, then the same failure.
    Bytes cut = ArchiveHeader();
    const std::size_t half = packedSize / 8 * 4;
    cut.insert(cut.end(), packed, packed + half);
    const Bytes record =
        FileInfoBytes("cut.rpl", static_cast<int32_t>(source.size()), static_cast<int32_t>(half));
    cut.insert(cut.end(), record.begin(), record.end());
    WriteFile(dir / "cut.lrx", cut);
    written.clear();
    const int whole =
        lrx_read_to((dir / "cut.lrx").c_str(), "cut.rpl", &Collect, &written, nullptr, &failure);
    EXPECT_GE(whole, LRX_READING_POSITION_DATA);
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(lrx_read_stream((dir / "cut.lrx").c_str(), "cut.rpl", &Collect, &written, nullptr,
                              &failure),
              whole);
    ASSERT_GT(written.size(), 3000u);  // the header at least
    ASSERT_LT(written.size(), source.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), source.begin()));
    lrx_free(packed);
}

TEST(CApi, FailuresNameTheFileTheEntryAndTheReason) {
    ScratchDir dir;
    const std::string archive = dir / "a.lrx", missing = dir / "none.lrx", old = dir / "v99.lrx";
    WriteFile(dir / "x.rpl", SampleReplay(5, 40));
    ASSERT_EQ(Add(archive, {dir / "x.rpl"}), LRX_OK);
    WriteFile(old, ArchiveHeader(99));
    // An entry whose packed data is no packed replay.
    Bytes damaged = ArchiveHeader();
    damaged.insert(damaged.end(), 8, 0xAB);
    const Bytes record = FileInfoBytes("d.rpl", 20, 8);
    damaged.insert(damaged.end(), record.begin(), record.end());
    WriteFile(dir / "d.lrx", damaged);
    fs::create_directories(dir.path() / "out" / "x.rpl");
    // A byte after the first driver name's end: packed, but not given back.
    Bytes inexact = SampleReplay(1, 50);
    inexact[16 + 32 + 30] = 'z';
    WriteFile(dir / "inexact.rpl", inexact);
    const std::string noFile = std::strerror(ENOENT), longName = dir / "sixteen_chars.rpl";
    const std::string blocked = (dir.path() / "out" / "x.rpl").string();
    const std::string unmade = (dir.path() / "none" / "x.rpl").string();  // no such folder
#ifdef _WIN32
    const int folderOpen = EACCES;  // a folder opens elsewhere, and its read fails
#else
    const int folderOpen = 0;
#endif
    const struct {
        std::function<int(lrx_failure&)> call;
        int code, systemError;
        std::string path, entry, message;
    } cases[] = {
        {[&](lrx_failure& f) { return lrx_list(missing.c_str(), nullptr, nullptr, &f); },
         LRX_OPENING_ARCHIVE, 0, "", "", "Opening LRX file"},
        {[&](lrx_failure& f) {
             lrx_entry* e;
             std::size_t n;
             return lrx_list(missing.c_str(), &e, &n, &f);
         },
         LRX_READING_FILE_INFO, ENOENT, missing, "", missing + ": cannot open archive: " + noFile},
        {[&](lrx_failure& f) { return Add(dir.path().string(), {dir / "x.rpl"}, 1, nullptr, &f); },
         LRX_READING_FILE_HEADER, folderOpen, dir.path().string(), "",
         dir.path().string() + ": is a folder, not an archive"},
        {[&](lrx_failure& f) {
             return Add(archive, {dir / "x.rpl", dir / "gone.rpl"}, 2, nullptr, &f);
         },
         LRX_OPENING_REPLAY, ENOENT, dir / "gone.rpl", "",
         dir / "gone.rpl" + ": cannot open replay: " + noFile},
        {[&](lrx_failure& f) { return Add(archive, {longName}, 1, nullptr, &f); },
         LRX_REPLAY_NAME_TOO_LONG, 0, longName, "",
         longName + ": Replay name too long (17 bytes, at most 13)"},
        {[&](lrx_failure& f) { return Extract(old, dir / "out", LRX_OVERWRITE_SKIP, nullptr, &f); },
         LRX_VERSION_MISMATCH, 0, old, "",
         old + ": version mismatch: the archive is version 99, lrx reads 100"},
        {[&](lrx_failure& f) {
             return Extract(archive, dir / "out", LRX_OVERWRITE_ASK, nullptr, &f);
         },
         LRX_QUERY_REQUIRES_INSTANCE, 0, archive, "", ""},
        {[&](lrx_failure& f) {
             return Extract(archive, dir / "out", LRX_OVERWRITE_ALWAYS, nullptr, &f);
         },
         LRX_CREATING_REPLAY_FILE, 0, blocked, "x.rpl",
         blocked + ": cannot create replay: a folder, not a regular file"},
        {[&](lrx_failure& f) {
             return Extract(archive, dir / "none", LRX_OVERWRITE_SKIP, nullptr, &f);
         },
         LRX_CREATING_REPLAY_FILE, ENOENT, unmade, "x.rpl",
         unmade + ": cannot create replay: " + noFile},
        {[&](lrx_failure& f) {
             return Extract(dir / "d.lrx", dir.path().string(), LRX_OVERWRITE_ALWAYS, nullptr, &f);
         },
         LRX_READING_HEADER, 0, dir / "d.lrx", "d.rpl",
         dir / "d.lrx" + ": d.rpl: damaged entry: Reading header"},
        {[&](lrx_failure& f) {
             unsigned char* r;
             std::size_t n;
             return lrx_read(archive.c_str(), "nope.rpl", &r, &n, &f);
         },
         LRX_REPLAY_NAME_NOT_ALLOWED, 0, archive, "nope.rpl",
         archive + ": no entry named nope.rpl"},
        {[&](lrx_failure& f) {
             return lrx_read_to(archive.c_str(), "x.rpl", &RefuseAsAClosedPipe, nullptr, nullptr,
                                &f);
         },
         LRX_WRITING_POSITION_DATA, EPIPE, "", "x.rpl",
         "x.rpl: cannot write replay: " + std::string(std::strerror(EPIPE))},
        {[&](lrx_failure& f) {
             return lrx_read_stream(archive.c_str(), "x.rpl", &RefuseAsAClosedPipe, nullptr,
                                    nullptr, &f);
         },
         LRX_WRITING_POSITION_DATA, EPIPE, "", "x.rpl",
         "x.rpl: cannot write replay: " + std::string(std::strerror(EPIPE))},
        {[&](lrx_failure& f) { return lrx_check_replay((dir / "inexact.rpl").c_str(), &f); },
         LRX_NOT_EXACT, 0, dir / "inexact.rpl", "",
         dir / "inexact.rpl" + ": would not come back byte for byte"},
        {[&](lrx_failure& f) { return lrx_check_replay((dir / "gone").c_str(), &f); },
         LRX_OPENING_REPLAY, ENOENT, dir / "gone", "",
         dir / "gone" + ": cannot open replay: " + dir / "gone.rpl" +
             " (.rpl is added to a name without one): " + noFile},
        // An archive that appeared while an add ran is no write failure.
        {[&](lrx_failure& f) {
             return (f = Record(LRX_CREATING_TEMP_FILE, EEXIST, LRX_CALL_ADD, missing)).code;
         },
         LRX_CREATING_TEMP_FILE, EEXIST, missing, "",
         missing + ": appeared while this add ran and was kept; nothing added, run it again"},
        {[&](lrx_failure& f) {
             return (f = Record(LRX_CREATING_TEMP_FILE, EEXIST, LRX_CALL_DELETE, missing)).code;
         },
         LRX_CREATING_TEMP_FILE, EEXIST, missing, "",
         missing + ": cannot write the new archive: " + std::strerror(EEXIST)},
    };
    const Bytes before = ReadFile(archive);
    for (const auto& c : cases) {
        lrx_failure failure;
        std::memset(&failure, 0x5A, sizeof failure);  // every call clears it first
        EXPECT_EQ(c.call(failure), c.code) << c.message;
        EXPECT_EQ(failure.code, c.code) << c.message;
        EXPECT_EQ(failure.system_error, c.systemError) << c.message;
        EXPECT_EQ(failure.path, c.path) << c.message;
        EXPECT_EQ(failure.entry, c.entry) << c.message;
        if (!c.message.empty() && c.code != LRX_OPENING_ARCHIVE) {
            EXPECT_EQ(Message(failure), c.message);
        }
    }
    EXPECT_EQ(ReadFile(archive), before);
    EXPECT_FALSE(fs::exists(dir / "d.rpl"));
}

// Two programs' worth of work in one process: adds and extractions of two
// archives on two threads give the bytes of one at a time.
TEST(CApi, TwoArchivesAtOnceComeOutAsOneAtATime) {
    ScratchDir dir;
    Names sets[2];
    for (uint32_t i = 0; i < 12; ++i) {
        sets[i % 2].push_back(dir / ("s" + std::to_string(i) + ".rpl"));
        WriteFile(sets[i % 2].back(), SampleReplay(10 + i, 150 + 40 * i));
    }
    auto run = [&](const std::string& tag, bool together) {
        auto work = [&, tag](int k) {
            const std::string archive = dir / (tag + std::to_string(k) + ".lrx");
            const std::string out = dir / (tag + std::to_string(k));
            fs::create_directories(out);
            EXPECT_EQ(Add(archive, sets[k], 2), LRX_OK);
            EXPECT_EQ(Extract(archive, out, LRX_OVERWRITE_ALWAYS), LRX_OK);
        };
        if (!together) return work(0), work(1);
        std::thread other(work, 1);
        work(0);
        other.join();
    };
    std::vector<int> stamp;
    do {
        stamp = LocalStamp();  // archives made across a minute differ in their dates
        run("alone", false);
        run("together", true);
    } while (stamp != LocalStamp());
    for (int k = 0; k < 2; ++k) {
        const std::string n = std::to_string(k);
        EXPECT_TRUE(ReadFile(dir / ("alone" + n + ".lrx")) ==
                    ReadFile(dir / ("together" + n + ".lrx")));
        for (const std::string& replay : sets[k]) {
            const std::string name = fs::path(replay).filename().string();
            EXPECT_TRUE(ReadFile(dir / ("together" + n + "/" + name)) == ReadFile(replay)) << name;
        }
    }
}

TEST(CApi, ACancelChangesNothingAndEachOverwriteIsAnswered) {
    ScratchDir dir;
    const std::string archive = dir / "a.lrx", out = dir / "out";
    Names replays = {dir / "a.rpl", dir / "b.rpl", dir / "c.rpl"};
    for (uint32_t i = 0; i < 3; ++i) WriteFile(replays[i], SampleReplay(20 + i, 60));
    ASSERT_EQ(Add(archive, replays), LRX_OK);
    const Bytes before = ReadFile(archive);
    WriteFile(dir / "big.rpl", SampleReplay(9, 4000));
    // Stopped from a percentage of a big replay, and from an entry's start.
    for (int stopAt : {10, 0}) {
        Script script;
        script.stopAtPercent = stopAt;
        lrx_callbacks callbacks = script.callbacks();
        lrx_failure failure;
        EXPECT_EQ(Add(archive, {dir / "big.rpl", replays[0]}, 1, &callbacks, &failure),
                  LRX_ABORTED);
        EXPECT_EQ(failure.path, archive);
        EXPECT_EQ(Message(failure), archive + ": stopped; the archive is as it was");
        EXPECT_EQ(ReadFile(archive), before);
        // a.rpl is updated first, in its place.
        EXPECT_EQ(script.entries, stopAt == 0 ? Names{"a.rpl"} : (Names{"a.rpl", "big.rpl"}));
    }
    fs::create_directories(out);
    const struct {
        std::vector<int> answers;
        Names asked;
        int code;
        Bytes a, b, c;
    } cases[] = {
        {{LRX_ANSWER_NO, LRX_ANSWER_YES, LRX_ANSWER_CANCEL},
         {"a.rpl", "b.rpl", "c.rpl"},
         LRX_ABORTED,  // a stop writes nothing more
         {7},
         {7},
         {7}},
        {{LRX_ANSWER_YES, LRX_ANSWER_ALWAYS},
         {"a.rpl", "b.rpl"},
         LRX_OK,
         SampleReplay(20, 60),
         SampleReplay(21, 60),
         SampleReplay(22, 60)},
    };
    for (const auto& c : cases) {
        for (const char* name : {"a.rpl", "b.rpl", "c.rpl"}) WriteFile(out + "/" + name, {7});
        Script script;
        script.answers = c.answers;
        lrx_callbacks callbacks = script.callbacks();
        EXPECT_EQ(Extract(archive, out, LRX_OVERWRITE_ASK, &callbacks), c.code);
        EXPECT_EQ(script.asked, c.asked);
        EXPECT_EQ(ReadFile(out + "/a.rpl"), c.a);
        EXPECT_EQ(ReadFile(out + "/b.rpl"), c.b);
        EXPECT_EQ(ReadFile(out + "/c.rpl"), c.c);
    }
}

}  // namespace
}  // namespace lrx::test
