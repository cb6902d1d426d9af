#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kqp_writer.h"
#include "patch_reader.h"
#include "test_support.h"

namespace kqp::test {
namespace {

using kqpmake::KqpWriter;

// Writes the bytes and opens a reader on them with ReadHeader.
struct OpenPatch {
    ScratchDir dir;
    PatchReader reader;
    PatchHeader header;
    PatchReader::HeaderResult result;

    explicit OpenPatch(const Bytes& bytes) {
        WriteBytes(dir / "p.kqp", bytes);
        result = reader.ReadHeader(dir / "p.kqp", header);
    }
};

// Header with the given title and directory count, written field by field.
KqpWriter Header(const std::string& title, int32_t directoryCount) {
    KqpWriter out;
    out.Text(title);
    out.I32(directoryCount);
    return out;
}

TEST(PatchReader, ReadsEveryFieldOfAWellFormedPatch) {
    kqpmake::PatchContent content;
    content.title = "Racing 1.2";
    content.directories.push_back(RegistryDir(5, "SOFTWARE\\KenQuill\\Racing\\RACE.EXE", 3));
    kqpmake::DirectoryItem search;
    search.id = 6;
    search.kind = kSearchKind;
    search.key = "RACE.EXE";
    search.name = "GIVEN.EXE";
    content.directories.push_back(search);
    content.files.push_back(FileRecordItem(5, "DATA\\MAP.DAT", kReplace, {1, 2, 3}, 7));
    content.files.back().description = "Updating the map";
    content.files.push_back(FileRecordItem(-2, "OLD.DLL", kRemove));
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(kqpmake::BuildPatch(content, bytes, error));
    bytes.push_back(0xEE);  // trailing bytes are ignored

    OpenPatch patch(bytes);
    ASSERT_EQ(patch.result, PatchReader::HeaderResult::kOk);
    EXPECT_EQ(patch.header.title, "Racing 1.2");
    EXPECT_EQ(patch.header.directoryCount, 2);

    DirEntry entry;
    ASSERT_TRUE(patch.reader.ReadDirEntry(entry));
    EXPECT_EQ(entry.id, 5);
    EXPECT_EQ(entry.kind, kRegistryKind);
    EXPECT_EQ(entry.key, "SOFTWARE\\KenQuill\\Racing\\RACE.EXE");
    EXPECT_EQ(entry.name, "RACE.EXE");
    EXPECT_EQ(entry.root, 3);
    // The search kind has no root byte: the next entry follows at once.
    ASSERT_TRUE(patch.reader.ReadDirEntry(entry));
    EXPECT_EQ(entry.id, 6);
    EXPECT_EQ(entry.name, "GIVEN.EXE");
    EXPECT_EQ(entry.root, 0);

    int32_t count = 0;
    ASSERT_TRUE(patch.reader.ReadFileCount(count));
    EXPECT_EQ(count, 2);
    FileRecord record;
    ASSERT_TRUE(patch.reader.ReadFileRecord(record));
    EXPECT_EQ(record.directoryId, 5);
    EXPECT_EQ(record.name, "DATA\\MAP.DAT");
    EXPECT_EQ(record.operation, kReplace);
    EXPECT_EQ(record.description, "Updating the map");
    EXPECT_EQ(record.keyByte, 7);
    EXPECT_EQ(record.payloadLength, 3);
    unsigned char chunk[3];
    ASSERT_TRUE(patch.reader.ReadChunk(chunk, 3, record.keyByte));
    EXPECT_EQ(Bytes(chunk, chunk + 3), (Bytes{1, 2, 3}));
    ASSERT_TRUE(patch.reader.ReadFileRecord(record));
    EXPECT_EQ(record.directoryId, -2);
    EXPECT_EQ(record.description, "Removing\nOLD.DLL");
    EXPECT_EQ(record.payloadLength, 0);
}

TEST(PatchReader, TitleOfOnlyItsZeroIsEmpty) {
    OpenPatch patch(Header("", 0).bytes());
    ASSERT_EQ(patch.result, PatchReader::HeaderResult::kOk);
    EXPECT_EQ(patch.header.title, "");
}

TEST(PatchReader, TitleLengthIsUnsignedUpTo255) {
    const std::string title(254, 'T');
    OpenPatch patch(Header(title, 0).bytes());
    ASSERT_EQ(patch.result, PatchReader::HeaderResult::kOk);
    EXPECT_EQ(patch.header.title, title);
}

TEST(PatchReader, TextWithoutItsZeroEndsWithItsField) {
    KqpWriter out;
    out.U8(3);
    out.Raw("ABC", 3);
    out.I32(0);
    OpenPatch patch(out.bytes());
    ASSERT_EQ(patch.result, PatchReader::HeaderResult::kOk);
    EXPECT_EQ(patch.header.title, "ABC");
}

TEST(PatchReader, TextIsUsedUpToItsFirstZero) {
    KqpWriter out = Header("T", 1);
    out.I32(9);
    out.I8(kRegistryKind);
    out.U8(8);
    out.Raw("KEY\0JUNK", 8);
    out.U8(0);
    out.I8(1);
    OpenPatch patch(out.bytes());
    DirEntry entry;
    ASSERT_TRUE(patch.reader.ReadDirEntry(entry));
    EXPECT_EQ(entry.key, "KEY");
    EXPECT_EQ(entry.root, 1);
}

TEST(PatchReader, MissingFileIsAnOpenFailure) {
    ScratchDir dir;
    PatchReader reader;
    PatchHeader header;
    EXPECT_EQ(reader.ReadHeader(dir / "none.kqp", header), PatchReader::HeaderResult::kOpenFailed);
    EXPECT_FALSE(reader.IsOpen());
}

TEST(PatchReader, EmptyCountsAreFine) {
    KqpWriter out = Header("T", 0);
    out.I32(0);
    OpenPatch patch(out.bytes());
    ASSERT_EQ(patch.result, PatchReader::HeaderResult::kOk);
    EXPECT_EQ(patch.header.directoryCount, 0);
    int32_t count = -1;
    ASSERT_TRUE(patch.reader.ReadFileCount(count));
    EXPECT_EQ(count, 0);
}

// A patch cut after every byte fails in the step that holds the cut, and
// every step before it still succeeds.
TEST(PatchReader, TruncationFailsInTheStepHoldingTheCut) {
    std::vector<std::size_t> stepEnds;
    KqpWriter out = Header("Title", 1);
    stepEnds.push_back(out.bytes().size());
    out.I32(4);
    out.I8(kRegistryKind);
    out.Text("SOFTWARE\\K");
    out.Text("N");
    out.I8(2);
    stepEnds.push_back(out.bytes().size());
    out.I32(2);
    stepEnds.push_back(out.bytes().size());
    out.I32(4);
    out.Text("A.TXT");
    out.I8(kReplace);
    out.Text("D");
    out.U8(16);
    out.I32(5);
    stepEnds.push_back(out.bytes().size());
    out.Payload({1, 2, 3, 4, 5}, 16);
    stepEnds.push_back(out.bytes().size());
    out.I32(-1);
    out.Text("B.TXT");
    out.I8(kRemove);
    out.U8(0);
    out.U8(0);
    out.I32(0);
    stepEnds.push_back(out.bytes().size());
    const Bytes full = out.bytes();

    // Runs the steps in order; the index of the first that fails, or -1.
    const auto firstFailure = [](const Bytes& bytes) {
        OpenPatch patch(bytes);
        if (patch.result != PatchReader::HeaderResult::kOk) return 0;
        DirEntry entry;
        if (!patch.reader.ReadDirEntry(entry)) return 1;
        int32_t count = 0;
        if (!patch.reader.ReadFileCount(count)) return 2;
        FileRecord record;
        if (!patch.reader.ReadFileRecord(record)) return 3;
        unsigned char chunk[5];
        if (!patch.reader.ReadChunk(chunk, 5, record.keyByte)) return 4;
        if (!patch.reader.ReadFileRecord(record)) return 5;
        return -1;
    };
    ASSERT_EQ(firstFailure(full), -1);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        int expected = 0;
        while (stepEnds[expected] <= cut) ++expected;
        EXPECT_EQ(firstFailure(Bytes(full.begin(), full.begin() + cut)), expected) << "cut " << cut;
    }
}

// Reads every step of the patch; whether all of them succeed.
bool ReadsThrough(const Bytes& bytes) {
    OpenPatch patch(bytes);
    if (patch.result != PatchReader::HeaderResult::kOk) return false;
    DirEntry entry;
    for (int32_t i = 0; i < patch.header.directoryCount; ++i) {
        if (!patch.reader.ReadDirEntry(entry)) return false;
    }
    int32_t count = 0;
    if (!patch.reader.ReadFileCount(count)) return false;
    FileRecord record;
    unsigned char chunk[kChunkSize];
    for (int32_t i = 0; i < count; ++i) {
        if (!patch.reader.ReadFileRecord(record)) return false;
        if (!patch.reader.ReadChunk(chunk, static_cast<std::size_t>(record.payloadLength), 0)) {
            return false;
        }
    }
    return true;
}

// Text bytes as many as the length byte would give read as unsigned, so a
// reader that took it so would read through.
void TextOfLength(KqpWriter& out, int8_t length, char fill) {
    out.I8(length);
    const auto size = static_cast<uint8_t>(length);
    if (size == 0) return;
    out.Raw(std::string(size - 1u, fill).c_str(), size - 1u);
    out.U8(0);
}

Bytes PatchWithEntry(int8_t keyLength, int8_t nameLength) {
    KqpWriter out = Header("T", 1);
    out.I32(3);
    out.I8(kRegistryKind);
    TextOfLength(out, keyLength, 'K');
    TextOfLength(out, nameLength, 'N');
    out.I8(1);
    out.I32(0);
    return out.bytes();
}

Bytes PatchWithRecord(int8_t nameLength, int8_t descriptionLength, int32_t payloadLength) {
    KqpWriter out = Header("T", 0);
    out.I32(1);
    out.I32(-1);
    TextOfLength(out, nameLength, 'A');
    out.I8(kReplace);
    TextOfLength(out, descriptionLength, 'D');
    out.U8(0);
    out.I32(payloadLength);
    if (payloadLength > 0) out.Raw(Bytes(static_cast<std::size_t>(payloadLength), 'P'));
    return out.bytes();
}

TEST(PatchReader, LengthsAndCountsWithoutMeaningFail) {
    ASSERT_TRUE(ReadsThrough(PatchWithEntry(4, 0)));
    ASSERT_TRUE(ReadsThrough(PatchWithEntry(127, 127)));
    ASSERT_TRUE(ReadsThrough(PatchWithRecord(2, 0, 0)));
    ASSERT_TRUE(ReadsThrough(PatchWithRecord(127, 127, 100)));

    EXPECT_FALSE(ReadsThrough(PatchWithEntry(0, 0))) << "key length 0";
    EXPECT_FALSE(ReadsThrough(PatchWithEntry(-128, 0))) << "key length 128";
    EXPECT_FALSE(ReadsThrough(PatchWithEntry(-1, 0))) << "key length 255";
    EXPECT_FALSE(ReadsThrough(PatchWithEntry(4, -56))) << "name length 200";
    EXPECT_FALSE(ReadsThrough(PatchWithRecord(0, 0, 0))) << "record name length 0";
    EXPECT_FALSE(ReadsThrough(PatchWithRecord(-126, 0, 0))) << "record name length 130";
    EXPECT_FALSE(ReadsThrough(PatchWithRecord(2, -1, 0))) << "description length 255";
    EXPECT_FALSE(ReadsThrough(PatchWithRecord(2, 0, -8192))) << "negative payload length";

    KqpWriter noTitle;
    noTitle.U8(0);
    noTitle.I32(0);
    noTitle.I32(0);
    EXPECT_FALSE(ReadsThrough(noTitle.bytes())) << "title length 0";
    KqpWriter negativeD = Header("T", -1);
    negativeD.I32(0);
    EXPECT_FALSE(ReadsThrough(negativeD.bytes())) << "negative D";
    KqpWriter negativeF = Header("T", 0);
    negativeF.I32(-5);
    EXPECT_FALSE(ReadsThrough(negativeF.bytes())) << "negative F";
}

TEST(PatchReader, PayloadComesInChunksWithTheKeyByteAdded) {
    const Bytes content = Pattern(8192 + 8192 + 100);
    for (uint8_t key : {uint8_t{0}, uint8_t{16}}) {
        KqpWriter out = Header("T", 0);
        out.I32(1);
        out.I32(-1);
        out.Text("A");
        out.I8(kReplace);
        out.U8(0);
        out.U8(key);
        out.I32(static_cast<int32_t>(content.size()));
        out.Payload(content, key);
        if (key == 16) {
            // Content byte 8 is stored as 248.
            EXPECT_EQ(out.bytes()[out.bytes().size() - content.size() + 8], 248);
        }
        OpenPatch patch(out.bytes());
        int32_t count = 0;
        FileRecord record;
        ASSERT_TRUE(patch.reader.ReadFileCount(count));
        ASSERT_TRUE(patch.reader.ReadFileRecord(record));
        Bytes read;
        unsigned char chunk[kChunkSize];
        for (std::size_t size : {kChunkSize, kChunkSize, std::size_t{100}}) {
            ASSERT_TRUE(patch.reader.ReadChunk(chunk, size, record.keyByte));
            read.insert(read.end(), chunk, chunk + size);
        }
        EXPECT_EQ(read, content) << "key " << int{key};
        EXPECT_FALSE(patch.reader.ReadChunk(chunk, 1, record.keyByte));
    }
}

TEST(PatchReader, KeyByteWrapsModulo256) {
    unsigned char bytes[] = {248, 0, 255};
    ApplyKeyByte(bytes, 3, 16);
    EXPECT_EQ(bytes[0], 8);
    EXPECT_EQ(bytes[1], 16);
    EXPECT_EQ(bytes[2], 15);
}

TEST(PatchReader, RefusesAChunkLargerThanTheCopyBuffer) {
    KqpWriter out = Header("T", 0);
    out.Raw(Bytes(kChunkSize + 1, 0));
    OpenPatch patch(out.bytes());
    std::vector<unsigned char> buffer(kChunkSize + 1);
    EXPECT_FALSE(patch.reader.ReadChunk(buffer.data(), kChunkSize + 1, 0));
}

TEST(DerivedTexts, DescriptionIsTheOperationWordAndTheName) {
    EXPECT_EQ(DerivedDescription(kReplace, "A.TXT"), "Replacing\nA.TXT");
    EXPECT_EQ(DerivedDescription(kAdd, "DATA\\B.DAT"), "Adding\nDATA\\B.DAT");
    EXPECT_EQ(DerivedDescription(kRemove, "C"), "Removing\nC");
    for (int8_t other : {int8_t{0}, int8_t{4}, int8_t{-1}}) {
        EXPECT_STREQ(OperationWord(other), "Removing") << int{other};
    }
}

TEST(DerivedTexts, EntryNameIsTheKeyForSearchesAndItsFileNameOtherwise) {
    EXPECT_EQ(DerivedEntryName(kSearchKind, "DIR\\RACE.EXE"), "DIR\\RACE.EXE");
    EXPECT_EQ(DerivedEntryName(kRegistryKind, "SOFTWARE\\K\\RACE.EXE"), "RACE.EXE");
    EXPECT_EQ(DerivedEntryName(kRegistryKind, "C:RACE.EXE"), "RACE.EXE");
    EXPECT_EQ(DerivedEntryName(7, "a/b"), "b");
    EXPECT_EQ(DerivedEntryName(kRegistryKind, "SOFTWARE\\"), "");
}

TEST(DerivedTexts, AStoredEmptyDescriptionIsNotDerived) {
    KqpWriter out = Header("T", 0);
    out.I32(1);
    out.I32(-1);
    out.Text("A");
    out.I8(kAdd);
    out.Text("");
    out.U8(0);
    out.I32(0);
    OpenPatch patch(out.bytes());
    int32_t count = 0;
    FileRecord record;
    ASSERT_TRUE(patch.reader.ReadFileCount(count));
    ASSERT_TRUE(patch.reader.ReadFileRecord(record));
    EXPECT_EQ(record.description, "");
}

}  // namespace
}  // namespace kqp::test
