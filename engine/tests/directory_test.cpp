#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "file_info_record.h"
#include "lrxpack.h"
#include "test_files.h"

namespace lrx::test {
namespace {

struct Listing {
    TFileInfoList* head = nullptr;
    ~Listing() { AGGa(&head); }

    int List(const std::string& path) { return wG4h(&head, const_cast<char*>(path.c_str())); }

    std::vector<const TFileInfoList*> Nodes() const {
        std::vector<const TFileInfoList*> nodes;
        for (const TFileInfoList* n = head; n; n = n->next) nodes.push_back(n);
        return nodes;
    }
};

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

TEST(Version, IsOneHundred) {
    EXPECT_EQ(N3Sf(), 100);
}

TEST(FileInfoRecord, MatchesTheDocumentedBytes) {
    TFileInfo info{};
    std::strcpy(info.name, "race1.rpl");
    info.rawSize = 100000;
    info.packedSize = 20000;
    info.year = 1998;
    info.month = 3;
    info.day = 21;
    info.hour = 10;
    info.minute = 25;
    unsigned char bytes[kFileInfoSize];
    EncodeFileInfo(info, bytes);
    const unsigned char expected[kFileInfoSize] = {0x72, 0x61, 0x63, 0x65, 0x31, 0x2E, 0x72, 0x70,
                                                   0x6C, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x86,
                                                   0x01, 0x00, 0x20, 0x4E, 0x00, 0x00, 0xCE, 0x07,
                                                   0x03, 0x00, 0x15, 0x00, 0x0A, 0x00, 0x19, 0x00};
    EXPECT_EQ(0, std::memcmp(bytes, expected, kFileInfoSize));

    TFileInfo back{};
    ASSERT_TRUE(DecodeFileInfo(bytes, back));
    EXPECT_EQ(0, std::memcmp(&back, &info, sizeof info));
}

TEST(ArchiveHeader, IsTheFixedTwelveBytes) {
    unsigned char bytes[kArchiveHeaderSize];
    EncodeArchiveHeader(bytes);
    EXPECT_EQ(Bytes(bytes, bytes + kArchiveHeaderSize), ArchiveHeader(100));
    EXPECT_EQ(ArchiveHeader(100), (Bytes{0x64, 0, 0, 0, 0x9C, 0xFF, 0xFF, 0xFF, 0x0C, 0, 0, 0}));
}

TEST(FirstWord, ReadsVersionOrReportsWhy) {
    ScratchDir dir;
    long value = 77;
    EXPECT_EQ(ttzS(const_cast<char*>((dir / "missing").c_str()), value), LRX_READING_FILE_INFO);
    EXPECT_EQ(value, 77);

    WriteFile(dir / "two", Bytes{1, 2});
    EXPECT_EQ(ttzS(const_cast<char*>((dir / "two").c_str()), value), LRX_READING_FILE_HEADER);
    EXPECT_EQ(value, 0);

    WriteFile(dir / "neg", Bytes{0xFE, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ttzS(const_cast<char*>((dir / "neg").c_str()), value), LRX_OK);
    EXPECT_EQ(value, -2);  // sign-extended where long is wider

    WriteFile(dir / "a.lrx", ArchiveHeader());
    EXPECT_EQ(ttzS(const_cast<char*>((dir / "a.lrx").c_str()), value), LRX_OK);
    EXPECT_EQ(value, 100);
}

TEST(DirectoryWalk, EmptyArchivesListNothing) {
    ScratchDir dir;
    Listing listing;
    WriteFile(dir / "header.lrx", ArchiveHeader());
    EXPECT_EQ(listing.List(dir / "header.lrx"), LRX_OK);
    EXPECT_EQ(listing.head, nullptr);

    Bytes upTo43 = ArchiveHeader();
    upTo43.resize(43, 0x55);
    WriteFile(dir / "short-tail.lrx", upTo43);
    EXPECT_EQ(listing.List(dir / "short-tail.lrx"), LRX_OK);
    EXPECT_EQ(listing.head, nullptr);
}

TEST(DirectoryWalk, ShortHeadersAndForeignVersions) {
    ScratchDir dir;
    Listing listing;
    EXPECT_EQ(listing.List(dir / "missing.lrx"), LRX_READING_FILE_INFO);
    WriteFile(dir / "3.lrx", Bytes{100, 0, 0});
    EXPECT_EQ(listing.List(dir / "3.lrx"), LRX_READING_FILE_HEADER);
    WriteFile(dir / "11.lrx", Bytes{100, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0});
    EXPECT_EQ(listing.List(dir / "11.lrx"), LRX_READING_FILE_HEADER);

    WriteFile(dir / "v101.lrx", Concat({ArchiveHeader(101), Entry("a.rpl", 8)}));
    EXPECT_EQ(listing.List(dir / "v101.lrx"), LRX_VERSION_MISMATCH);
    EXPECT_EQ(listing.head, nullptr);

    WriteFile(dir / "v99.lrx", Concat({ArchiveHeader(99), Entry("a.rpl", 8)}));
    EXPECT_EQ(listing.List(dir / "v99.lrx"), LRX_OK);
    EXPECT_EQ(listing.Nodes().size(), 1u);
}

TEST(DirectoryWalk, ListsEntriesInFileOrder) {
    ScratchDir dir;
    Listing listing;
    WriteFile(dir / "one.lrx", Concat({ArchiveHeader(), Entry("a.rpl", 8)}));
    ASSERT_EQ(listing.List(dir / "one.lrx"), LRX_OK);
    ASSERT_EQ(listing.Nodes().size(), 1u);
    EXPECT_EQ(listing.head->offset, 12);
    EXPECT_EQ(int32_t{listing.head->info->packedSize}, 8);

    WriteFile(dir / "two.lrx",
              Concat({ArchiveHeader(), Entry("First.RPL", 40), Entry("b.rpl", 16)}));
    ASSERT_EQ(listing.List(dir / "two.lrx"), LRX_OK);  // replaces the old list
    const auto nodes = listing.Nodes();
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0]->offset, 12);
    EXPECT_STREQ(nodes[0]->info->name, "First.RPL");  // listed as stored
    EXPECT_EQ(nodes[1]->offset, 12 + 40 + 32);
    EXPECT_STREQ(nodes[1]->info->name, "b.rpl");
    EXPECT_EQ(int32_t{nodes[1]->info->rawSize}, 48);
}

TEST(DirectoryWalk, DamagedRecordsAreRefusedWithoutLooping) {
    ScratchDir dir;
    Listing listing;
    // Negative sizes would walk forward (or stand still at -32).
    for (int32_t packed : {-32, -4, -1000}) {
        Bytes archive = Concat({ArchiveHeader(), Entry("a.rpl", 8), Entry("b.rpl", 8)});
        Bytes bad = FileInfoBytes("b.rpl", 1, packed);
        std::copy(bad.begin(), bad.end(), archive.end() - 32);
        WriteFile(dir / "neg.lrx", archive);
        EXPECT_EQ(listing.List(dir / "neg.lrx"), LRX_READING_FILE_INFO) << packed;
        EXPECT_EQ(listing.head, nullptr);
    }
    // Data that would begin in front of dataStart.
    Bytes archive = Concat({ArchiveHeader(), Entry("a.rpl", 8)});
    Bytes bad = FileInfoBytes("a.rpl", 1, 12);
    std::copy(bad.begin(), bad.end(), archive.end() - 32);
    WriteFile(dir / "front.lrx", archive);
    EXPECT_EQ(listing.List(dir / "front.lrx"), LRX_READING_FILE_INFO);
    EXPECT_EQ(listing.head, nullptr);

    // A name with no terminator inside its 14 bytes.
    archive = Concat({ArchiveHeader(), Entry("a.rpl", 8)});
    std::fill(archive.end() - 32, archive.end() - 18, 'x');
    WriteFile(dir / "noname.lrx", archive);
    EXPECT_EQ(listing.List(dir / "noname.lrx"), LRX_READING_FILE_INFO);
    EXPECT_EQ(listing.head, nullptr);
}

TEST(DirectoryWalk, FiftyTwoByteArchiveStopsBelowDataStart) {
    ScratchDir dir;
    Listing listing;
    WriteFile(dir / "52.lrx", Concat({ArchiveHeader(), Entry("a.rpl", 8)}));
    ASSERT_EQ(listing.List(dir / "52.lrx"), LRX_OK);
    ASSERT_EQ(listing.Nodes().size(), 1u);
    EXPECT_EQ(listing.head->offset, 12);
}

TEST(DirectoryWalk, ShortRecordReadKeepsTheEntriesBehindIt) {
    ScratchDir dir;
    Listing listing;
    // dataStart below 0 sends the walk to a negative position after the first
    // entry; that read fails, and the entry already found stays listed.
    Bytes archive = Concat({ArchiveHeader(), Entry("a.rpl", 8)});
    archive[8] = 0x9C;  // -100
    archive[9] = archive[10] = archive[11] = 0xFF;
    WriteFile(dir / "ds.lrx", archive);
    EXPECT_EQ(listing.List(dir / "ds.lrx"), LRX_READING_FILE_INFO);
    EXPECT_EQ(listing.Nodes().size(), 1u);
}

TEST(FreeList, EmptyAndTwice) {
    TFileInfoList* head = nullptr;
    AGGa(&head);
    EXPECT_EQ(head, nullptr);
    head = new TFileInfoList{new TFileInfo{}, 12, nullptr};
    AGGa(&head);
    EXPECT_EQ(head, nullptr);
    AGGa(&head);
    EXPECT_EQ(head, nullptr);
}

TEST(ResultText, CoversEveryCode) {
    EXPECT_STREQ(fUwu(0), "No error");
    EXPECT_STREQ(fUwu(14), "Reading file header");
    EXPECT_STREQ(fUwu(23), "Aborted");
    EXPECT_STREQ(fUwu(25), "Removed empty archive");
    EXPECT_STREQ(fUwu(27), "Writing record size");
    EXPECT_STREQ(fUwu(28), "Replay name too long");
    EXPECT_STREQ(fUwu(-1), "Unknown error");
    EXPECT_STREQ(fUwu(LRX_LAST_RESULT + 1), "Unknown error");
}

}  // namespace
}  // namespace lrx::test
