#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "file_info_record.h"
#include "lrxpack.h"
#include "test_files.h"

namespace lrx::test {
namespace {

Bytes Entry(const std::string& name, int32_t packedSize) {
    Bytes bytes(static_cast<std::size_t>(packedSize), 0xAB);
    const Bytes record = FileInfoBytes(name, packedSize * 3, packedSize);
    bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes WithRecord(Bytes archive, const Bytes& record) {
    std::copy(record.begin(), record.end(), archive.end() - 32);
    return archive;
}

TEST(FileInfoRecord, MatchesTheDocumentedBytes) {
    const TFileInfo info{"race1.rpl", 100000, 20000, 1998, 3, 21, 10, 25};
    unsigned char bytes[kFileInfoSize];
    EncodeFileInfo(info, bytes);
    EXPECT_EQ(Bytes(bytes, bytes + kFileInfoSize),
              (Bytes{0x72, 0x61, 0x63, 0x65, 0x31, 0x2E, 0x72, 0x70, 0x6C, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0xA0, 0x86, 0x01, 0x00, 0x20, 0x4E, 0x00, 0x00,
                     0xCE, 0x07, 0x03, 0x00, 0x15, 0x00, 0x0A, 0x00, 0x19, 0x00}));
    TFileInfo back{};
    ASSERT_TRUE(DecodeFileInfo(bytes, back));
    EXPECT_EQ(0, std::memcmp(&back, &info, sizeof info));
}

TEST(FirstWord, ReadsVersionOrReportsWhy) {
    ScratchDir dir;
    long value = 77;
    EXPECT_EQ(ttzS(const_cast<char*>((dir / "missing").c_str()), value), LRX_READING_FILE_INFO);
    EXPECT_EQ(value, 77);
    // A short file sets 0; a negative word arrives sign-extended where long is wider.
    for (const auto& [bytes, code, expected] :
         {std::tuple{Bytes{1, 2}, LRX_READING_FILE_HEADER, 0L},
          {Bytes{0xFE, 0xFF, 0xFF, 0xFF}, LRX_OK, -2L}}) {
        WriteFile(dir / "f", bytes);
        EXPECT_EQ(ttzS(const_cast<char*>((dir / "f").c_str()), value), code);
        EXPECT_EQ(value, expected);
    }
}

TEST(DirectoryWalk, ListsOrRefusesEveryShapeOfFile) {
    Bytes negativeStart = Concat({ArchiveHeader(), Entry("a.rpl", 8)});
    negativeStart[8] = 0x9C;  // dataStart -100
    negativeStart[9] = negativeStart[10] = negativeStart[11] = 0xFF;
    Bytes noTerminator = Concat({ArchiveHeader(), Entry("a.rpl", 8)});
    std::fill(noTerminator.end() - 32, noTerminator.end() - 18, 'x');
    Bytes upTo43 = ArchiveHeader();
    upTo43.resize(43, 0x55);
    const Bytes two = Concat({ArchiveHeader(), Entry("a.rpl", 8), Entry("b.rpl", 8)});

    const struct {
        const char* what;
        Bytes bytes;
        int code;
        std::vector<int32_t> offsets;
    } cases[] = {
        {"header only", ArchiveHeader(), LRX_OK, {}},
        {"43 bytes", upTo43, LRX_OK, {}},
        {"3 bytes", {100, 0, 0}, LRX_READING_FILE_HEADER, {}},
        {"11 bytes", {100, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0}, LRX_READING_FILE_HEADER, {}},
        {"version 101", Concat({ArchiveHeader(101), Entry("a.rpl", 8)}), LRX_VERSION_MISMATCH, {}},
        {"version 99", Concat({ArchiveHeader(99), Entry("a.rpl", 8)}), LRX_OK, {12}},
        {"52 bytes", Concat({ArchiveHeader(), Entry("a.rpl", 8)}), LRX_OK, {12}},
        {"two",
         Concat({ArchiveHeader(), Entry("First.RPL", 40), Entry("b", 16)}),
         LRX_OK,
         {12, 12 + 40 + 32}},
        // Damaged records: sizes that would walk forward or stand still, data
        // in front of dataStart, a name without its terminator.
        {"packed -32", WithRecord(two, FileInfoBytes("b", 1, -32)), LRX_READING_FILE_INFO, {}},
        {"packed -4", WithRecord(two, FileInfoBytes("b", 1, -4)), LRX_READING_FILE_INFO, {}},
        {"packed -1000", WithRecord(two, FileInfoBytes("b", 1, -1000)), LRX_READING_FILE_INFO, {}},
        {"before start", WithRecord(two, FileInfoBytes("b", 1, 52)), LRX_READING_FILE_INFO, {}},
        {"no terminator", noTerminator, LRX_READING_FILE_INFO, {}},
        // A short record read keeps the entries already found behind it.
        {"negative start", negativeStart, LRX_READING_FILE_INFO, {12}},
    };
    ScratchDir dir;
    TFileInfoList* head = nullptr;
    EXPECT_EQ(wG4h(&head, const_cast<char*>((dir / "missing").c_str())), LRX_READING_FILE_INFO);
    for (const auto& c : cases) {
        WriteFile(dir / "a.lrx", c.bytes);
        // Listing into a head that holds the previous list replaces it.
        EXPECT_EQ(wG4h(&head, const_cast<char*>((dir / "a.lrx").c_str())), c.code) << c.what;
        std::vector<int32_t> offsets;
        for (const TFileInfoList* n = head; n; n = n->next) offsets.push_back(n->offset);
        EXPECT_EQ(offsets, c.offsets) << c.what;
    }
    WriteFile(dir / "a.lrx", Concat({ArchiveHeader(), Entry("First.RPL", 40), Entry("b", 16)}));
    ASSERT_EQ(wG4h(&head, const_cast<char*>((dir / "a.lrx").c_str())), LRX_OK);
    EXPECT_STREQ(head->info->name, "First.RPL");  // listed as stored
    EXPECT_EQ(int32_t{head->next->info->packedSize}, 16);
    EXPECT_EQ(int32_t{head->next->info->rawSize}, 48);
    AGGa(&head);
    EXPECT_EQ(head, nullptr);
}

}  // namespace
}  // namespace lrx::test
