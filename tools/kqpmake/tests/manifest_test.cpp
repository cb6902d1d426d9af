#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "manifest.h"

namespace kqpmake {
namespace {

class ManifestTest : public testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::path(testing::TempDir()) /
              ("kqpmake-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    bool Parse(const std::string& text) { return ParseManifest(text, dir, content, error); }

    std::filesystem::path dir;
    PatchContent content;
    std::string error;
};

TEST_F(ManifestTest, ReadsEveryField) {
    std::ofstream(dir / "map.dat", std::ios::binary) << "MAPDATA";
    ASSERT_TRUE(Parse(R"(# a patch
title =  Racing 1.2 update

[directory]
id = 5
kind = registry
key = SOFTWARE\Ken Quill\Racing # not a comment
root = HKEY_LOCAL_MACHINE

[directory]
id = -7
kind = Search
key = RACE.EXE
name = GIVEN.EXE

[directory]
id = 8
kind = 2
key = K
name =
root = hkcu

[file]
directory = 5
name = DATA\MAP.DAT
operation = replace
description = Updating
description = the map
key-byte = 16
source = map.dat

[file]
directory = system
name = OLD.DLL
operation = REMOVE
)")) << error;
    EXPECT_EQ(content.title, "Racing 1.2 update");
    ASSERT_EQ(content.directories.size(), 3u);
    EXPECT_EQ(content.directories[0].id, 5);
    EXPECT_EQ(content.directories[0].kind, 2);
    EXPECT_EQ(content.directories[0].key, "SOFTWARE\\Ken Quill\\Racing # not a comment");
    EXPECT_FALSE(content.directories[0].name);
    EXPECT_EQ(content.directories[0].root, 2);
    EXPECT_EQ(content.directories[1].id, -7);
    EXPECT_EQ(content.directories[1].kind, 1);
    EXPECT_EQ(content.directories[1].name, "GIVEN.EXE");
    EXPECT_EQ(content.directories[2].name, "");
    EXPECT_EQ(content.directories[2].root, 1);
    ASSERT_EQ(content.files.size(), 2u);
    EXPECT_EQ(content.files[0].directoryId, 5);
    EXPECT_EQ(content.files[0].name, "DATA\\MAP.DAT");
    EXPECT_EQ(content.files[0].operation, 1);
    EXPECT_EQ(content.files[0].description, "Updating\nthe map");
    EXPECT_EQ(content.files[0].keyByte, 16);
    EXPECT_EQ(content.files[0].payload, (Bytes{'M', 'A', 'P', 'D', 'A', 'T', 'A'}));
    EXPECT_EQ(content.files[1].directoryId, -2);
    EXPECT_EQ(content.files[1].operation, 3);
    EXPECT_FALSE(content.files[1].description);
    EXPECT_TRUE(content.files[1].payload.empty());
}

TEST_F(ManifestTest, ReportsTheLineOfEachProblem) {
    std::ofstream(dir / "x.dat") << "x";
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "no title"},
        {"[file]\n", "line 1: the title must come first"},
        {"title = A\ntitle = B\n", "line 2: a second title"},
        {"title = A\nwhat = x\n", "line 2: unknown field 'what'"},
        {"title = A\n[file]\nname\n", "line 3: expected 'field = value'"},
        {"title = A\n[directory]\nid = 5\nid = 6\n", "line 4: 'id' given twice"},
        {"title = A\n[directory]\nid = x\n", "line 3: id must be"},
        {"title = A\n[directory]\nid = 99999999999\n", "line 3: id must be"},
        {"title = A\n[directory]\nid = 1\nkind = 200\n", "line 4: kind must be"},
        {"title = A\n[directory]\nid = 1\nkind = registry\nkey = K\n",
         "line 2: section without 'root'"},
        {"title = A\n[directory]\nid = 1\nkey = K\n[file]\n", "line 2: section without 'kind'"},
        {"title = A\n[file]\ndirectory = 1\nname = A\n", "line 2: section without 'operation'"},
        {"title = A\n[file]\nkey-byte = 256\n", "line 3: key-byte must be"},
        {"title = A\n[file]\nsource = missing.dat\n", "line 3: cannot read source"},
        {"title = A\n[file]\noperation = move\n", "line 3: operation must be"},
        {"title = A\n[file]\ndirectory = 1\nname = A\noperation = remove\nsource = x.dat\n",
         "line 2: a remove record takes no source"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Parse(c.text)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
    }
}

}  // namespace
}  // namespace kqpmake
