#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kqp_writer.h"
#include "patch_reader.h"
#include "test_support.h"

namespace kqp::test {
namespace {

using kqpmake::KqpWriter;

// Writes the bytes and reads their header.
struct OpenPatch {
    explicit OpenPatch(const Bytes& bytes) {
        WriteBytes(dir / "p.kqp", bytes);
        result = reader.ReadHeader(dir / "p.kqp", header);
    }
    ScratchDir dir;
    PatchReader reader;
    PatchHeader header;
    PatchReader::HeaderResult result;
};

KqpWriter Header(const std::string& title, int32_t directoryCount) {
    KqpWriter out;
    out.Text(title);
    out.I32(directoryCount);
    return out;
}

// Reads every step of the patch; the index of the first that fails
// (0 header, 1 entries, 2 count, then 3 + 2 * record for its header and
// 4 + 2 * record for its payload), or -1 when all succeed.
int FirstFailure(const Bytes& bytes) {
    OpenPatch patch(bytes);
    if (patch.result != PatchReader::HeaderResult::kOk) return 0;
    DirEntry entry;
    for (int32_t i = 0; i < patch.header.directoryCount; ++i) {
        if (!patch.reader.ReadDirEntry(entry)) return 1;
    }
    int32_t count = 0;
    if (!patch.reader.ReadFileCount(count)) return 2;
    FileRecord record;
    unsigned char chunk[kChunkSize];
    for (int32_t i = 0; i < count; ++i) {
        if (!patch.reader.ReadFileRecord(record)) return 3 + 2 * i;
        if (!patch.reader.ReadChunk(chunk, static_cast<std::size_t>(record.payloadLength), 0)) {
            return 4 + 2 * i;
        }
    }
    return -1;
}

std::string Fields(const DirEntry& e) {
    return std::to_string(e.id) + " " + std::to_string(e.kind) + " " + e.key + " " + e.name + " " +
           std::to_string(e.root);
}

std::string Fields(const FileRecord& r) {
    return std::to_string(r.directoryId) + " " + r.name + " " + std::to_string(r.operation) + " " +
           r.description + " " + std::to_string(r.keyByte) + " " + std::to_string(r.payloadLength);
}

// Names and descriptions the file leaves out are derived; the search kind
// has no root byte.
TEST(PatchReader, ReadsEveryFieldOfAWellFormedPatch) {
    kqpmake::PatchContent content;
    content.title = "Racing 1.2";
    content.directories = {RegistryDir(5, "SOFTWARE\\K\\RACE.EXE", 3),
                           {6, kSearchKind, "DIR\\RACE.EXE", "GIVEN.EXE", 0},
                           {7, kSearchKind, "DIR\\RACE.EXE", std::nullopt, 0}};
    content.files = {FileRecordItem(5, "DATA\\MAP.DAT", kReplace, {1, 2, 3}, 7),
                     FileRecordItem(-2, "NEW.DLL", kAdd), FileRecordItem(-2, "OLD.DLL", 9)};
    content.files[0].description = "Updating the map";
    OpenPatch patch(Build(content));
    ASSERT_EQ(patch.result, PatchReader::HeaderResult::kOk);
    EXPECT_EQ(patch.header.title, "Racing 1.2");
    Strings fields;
    DirEntry entry;
    for (int i = 0; i < 3 && patch.reader.ReadDirEntry(entry); ++i) fields.push_back(Fields(entry));
    int32_t count = 0;
    EXPECT_TRUE(patch.reader.ReadFileCount(count));
    FileRecord record;
    unsigned char chunk[3];
    for (int i = 0; i < count && patch.reader.ReadFileRecord(record); ++i) {
        fields.push_back(Fields(record));
        if (i == 0) {
            EXPECT_TRUE(patch.reader.ReadChunk(chunk, 3, record.keyByte));
        }
    }
    EXPECT_EQ(
        fields,
        (Strings{"5 2 SOFTWARE\\K\\RACE.EXE RACE.EXE 3", "6 1 DIR\\RACE.EXE GIVEN.EXE 0",
                 "7 1 DIR\\RACE.EXE DIR\\RACE.EXE 0", "5 DATA\\MAP.DAT 1 Updating the map 7 3",
                 "-2 NEW.DLL 2 Adding\nNEW.DLL 0 0", "-2 OLD.DLL 9 Removing\nOLD.DLL 0 0"}));
    EXPECT_EQ(Bytes(chunk, chunk + 3), (Bytes{1, 2, 3}));
}

TEST(PatchReader, TextsEndAtTheirFirstZeroAndNeverPastTheirField) {
    const auto title = [](const Bytes& field) {
        KqpWriter out;
        out.Raw(field);
        out.I32(0);
        OpenPatch patch(out.bytes());
        EXPECT_EQ(patch.result, PatchReader::HeaderResult::kOk);
        return patch.header.title;
    };
    EXPECT_EQ(title({1, 0}), "");
    EXPECT_EQ(title({3, 'A', 'B', 'C'}), "ABC");
    EXPECT_EQ(title({5, 'A', 0, 'B', 'C', 0}), "A");
    Bytes longest(256, 'T');
    longest[0] = 255;
    EXPECT_EQ(title(longest), std::string(255, 'T'));
}

// A patch cut after any byte fails in the step that holds the cut.
TEST(PatchReader, TruncationFailsInTheStepHoldingTheCut) {
    kqpmake::PatchContent content;
    content.title = "Title";
    content.directories = {RegistryDir(4, "SOFTWARE\\K")};
    content.directories[0].name = "N";
    content.files = {FileRecordItem(4, "A.TXT", kReplace, {1, 2, 3, 4, 5}, 16),
                     FileRecordItem(-1, "B.TXT", kRemove)};
    content.files[0].description = "D";
    const Bytes full = Build(content);
    // Where each step's bytes end, in the numbering of FirstFailure.
    const std::vector<std::size_t> stepEnds = {11, 32, 36, 56, 61, 79};
    ASSERT_EQ(full.size(), stepEnds.back());
    ASSERT_EQ(FirstFailure(full), -1);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        int step = 0;
        while (stepEnds[step] <= cut) ++step;
        EXPECT_EQ(FirstFailure(Bytes(full.begin(), full.begin() + cut)), step) << "cut " << cut;
    }
}

// Text bytes as many as the length byte read unsigned would claim, so only
// the sign makes the read fail.
void TextOfLength(KqpWriter& out, int8_t length) {
    out.I8(length);
    const auto size = static_cast<uint8_t>(length);
    if (size > 0) out.Raw(std::string(size - 1u, 'x').append(1, '\0').data(), size);
}

TEST(PatchReader, LengthsAndCountsWithoutMeaningFail) {
    const auto entry = [](int8_t keyLength, int8_t nameLength) {
        KqpWriter out = Header("T", 1);
        out.I32(3);
        out.I8(kRegistryKind);
        TextOfLength(out, keyLength);
        TextOfLength(out, nameLength);
        out.I8(1);
        out.I32(0);
        return out.bytes();
    };
    const auto record = [](int8_t nameLength, int8_t descriptionLength, int32_t payload) {
        KqpWriter out = Header("T", 0);
        out.I32(1);
        out.I32(-1);
        TextOfLength(out, nameLength);
        out.I8(kReplace);
        TextOfLength(out, descriptionLength);
        out.U8(0);
        out.I32(payload);
        out.Raw(Bytes(static_cast<std::size_t>(std::max(payload, 0)), 'P'));
        return out.bytes();
    };
    EXPECT_EQ(FirstFailure(entry(127, 0)), -1);
    EXPECT_EQ(FirstFailure(entry(4, 127)), -1);
    EXPECT_EQ(FirstFailure(record(127, 127, 100)), -1);
    EXPECT_EQ(FirstFailure(record(2, 0, 0)), -1);

    EXPECT_EQ(FirstFailure(entry(0, 0)), 1) << "key length 0";
    EXPECT_EQ(FirstFailure(entry(-128, 0)), 1) << "key length 128";
    EXPECT_EQ(FirstFailure(entry(-1, 0)), 1) << "key length 255";
    EXPECT_EQ(FirstFailure(entry(4, -56)), 1) << "name length 200";
    EXPECT_EQ(FirstFailure(record(0, 0, 0)), 3) << "record name length 0";
    EXPECT_EQ(FirstFailure(record(-126, 0, 0)), 3) << "record name length 130";
    EXPECT_EQ(FirstFailure(record(2, -1, 0)), 3) << "description length 255";
    EXPECT_EQ(FirstFailure(record(2, 0, -8192)), 3) << "negative payload length";
    EXPECT_EQ(FirstFailure({0, 0, 0, 0, 0}), 0) << "title length 0";
    EXPECT_EQ(FirstFailure(Header("T", -1).bytes()), 0) << "negative D";
    KqpWriter negativeF = Header("T", 0);
    negativeF.I32(-5);
    EXPECT_EQ(FirstFailure(negativeF.bytes()), 2) << "negative F";
}

}  // namespace
}  // namespace kqp::test
