#include <gtest/gtest.h>

#include <string>

#include "kqp_writer.h"

namespace kqpmake {
namespace {

TEST(BuildPatch, WritesTheDocumentedBytes) {
    PatchContent content;
    content.title = "T";
    content.directories = {{5, 2, "K", std::nullopt, 2}, {0x01020304, 1, "R", "N", 0}};
    content.files = {{-2, "A", 1, std::nullopt, 16, {0x08, 0x20}}, {5, "B", 3, "D", 0, {}}};
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(BuildPatch(content, bytes, error)) << error;
    const Bytes expected = {
        0x02, 'T',  0x00, 0x02, 0x00, 0x00, 0x00,                          // title, D
        0x05, 0x00, 0x00, 0x00, 0x02, 0x02, 'K',  0x00, 0x00, 0x02,        // registry entry
        0x04, 0x03, 0x02, 0x01, 0x01, 0x02, 'R',  0x00, 0x02, 'N',  0x00,  // search, no root
        0x02, 0x00, 0x00, 0x00,                                            // F
        0xFE, 0xFF, 0xFF, 0xFF, 0x02, 'A',  0x00, 0x01, 0x00, 0x10,        // record 1
        0x02, 0x00, 0x00, 0x00, 0xF8, 0x10,                                // payload minus key
        0x05, 0x00, 0x00, 0x00, 0x02, 'B',  0x00, 0x03, 0x02, 'D',  0x00,  // record 2
        0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(bytes, expected);
}

TEST(BuildPatch, RefusesTextsTooLongForTheirLengthByte) {
    Bytes bytes;
    std::string error;
    PatchContent longest;
    longest.title = std::string(kMaxTitleLength, 't');
    longest.directories = {{1, 2, std::string(kMaxTextLength, 'k'), std::nullopt, 0}};
    longest.files = {
        {1, std::string(kMaxTextLength, 'n'), 1, std::string(kMaxTextLength, 'd'), 0, {}}};
    ASSERT_TRUE(BuildPatch(longest, bytes, error)) << error;
    EXPECT_EQ(bytes[0], 255);

    for (int field = 0; field < 4; ++field) {
        PatchContent content = longest;
        std::string* texts[] = {&content.title, &content.directories[0].key, &content.files[0].name,
                                &*content.files[0].description};
        texts[field]->push_back('x');
        EXPECT_FALSE(BuildPatch(content, bytes, error)) << field;
    }
}

}  // namespace
}  // namespace kqpmake
