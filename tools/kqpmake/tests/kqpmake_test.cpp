#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>

#include "kqp_writer.h"
#include "kqpmake_tool.h"
#include "manifest.h"

namespace kqpmake {
namespace {

class Kqpmake : public testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::path(testing::TempDir()) /
              ("kqpmake-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "src");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    bool Parse(const std::string& text) { return ParseManifest(text, dir, content, error); }
    // The manifest as written on Windows too.
    static std::string WithEnding(const std::string& text, const char* ending) {
        std::string converted;
        for (char c : text) c == '\n' ? converted += ending : converted += c;
        return converted;
    }
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunKqpmake(args, out, err);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    Bytes Read(const char* name) const {
        std::ifstream in(dir / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir;
    PatchContent content;
    std::string error;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(Kqpmake, ReadsEveryField) {
    std::ofstream(dir / "map.dat", std::ios::binary) << "MAPDATA";
    const std::string manifest = R"(# a patch
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
)";
    for (const char* ending : {"\n", "\r\n"}) {
        SCOPED_TRACE(ending[0] == '\r' ? "CRLF" : "LF");
        ASSERT_TRUE(Parse(WithEnding(manifest, ending))) << error;
        EXPECT_EQ(content.title, "Racing 1.2 update");
        ASSERT_EQ(content.directories.size(), 3u);
        const DirectoryItem& registry = content.directories[0];
        EXPECT_EQ(std::tie(registry.id, registry.kind, registry.key, registry.name, registry.root),
                  std::make_tuple(5, int8_t{2},
                                  std::string("SOFTWARE\\Ken Quill\\Racing # not a comment"),
                                  std::optional<std::string>(), int8_t{2}));
        EXPECT_EQ(content.directories[1].id, -7);
        EXPECT_EQ(content.directories[1].kind, 1);
        EXPECT_EQ(content.directories[1].name, "GIVEN.EXE");
        EXPECT_EQ(content.directories[2].name, "");
        EXPECT_EQ(content.directories[2].root, 1);
        ASSERT_EQ(content.files.size(), 2u);
        const FileItem& replace = content.files[0];
        EXPECT_EQ(std::tie(replace.directoryId, replace.name, replace.operation,
                           replace.description, replace.keyByte, replace.payload),
                  std::make_tuple(5, std::string("DATA\\MAP.DAT"), int8_t{1},
                                  std::optional<std::string>("Updating\nthe map"), uint8_t{16},
                                  Bytes{'M', 'A', 'P', 'D', 'A', 'T', 'A'}));
        EXPECT_EQ(content.files[1].directoryId, -2);
        EXPECT_EQ(content.files[1].operation, 3);
        EXPECT_FALSE(content.files[1].description);
    }
}

TEST_F(Kqpmake, ReportsTheLineOfEachProblem) {
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
        {"title = A\n[file]\nsource = src\n", "line 3: cannot read source"},  // a folder
        // What the applier would refuse.
        {"title = A\n[directory]\nid = -1\nkind = 2\nkey = K\nroot = 2\n", "line 2: ids -1 and -2"},
        {"title = A\n[file]\ndirectory = 1\nname = ..\\WIN.INI\noperation = add\n",
         "line 2: the name leaves"},
        {"title = A\n[file]\ndirectory = 1\nname = A\noperation = 9\n", "line 2: the operation"},
        {"title = A\n[file]\ndirectory = 4\nname = A\noperation = add\n[directory]\nid = 1\n"
         "kind = 2\nkey = K\nroot = 2\n",
         "line 2: no directory has id 4"},
    };
    for (const char* ending : {"\n", "\r\n"}) {
        SCOPED_TRACE(ending[0] == '\r' ? "CRLF" : "LF");
        for (const auto& c : cases) {
            EXPECT_FALSE(Parse(WithEnding(c.text, ending))) << c.text;
            EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
        }
    }
}

TEST_F(Kqpmake, WrongArgumentsAreAUsageError) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    for (std::vector<std::string> args :
         {std::vector<std::string>{}, {"only-one"}, {"a", "b", "c"}, {"--quiet", "b"}}) {
        EXPECT_EQ(Run(args), kExitUsage) << args.size();
    }
}

TEST_F(Kqpmake, WritesThePatchWithSourcesBesideTheManifest) {
    std::ofstream(dir / "src" / "a.bin", std::ios::binary) << "hi";
    std::ofstream(dir / "src" / "patch.txt") << "title = T\n[file]\ndirectory = windows\n"
                                                "name = A\noperation = add\nsource = a.bin\n";
    ASSERT_EQ(Run({Path("src/patch.txt"), Path("out.kqp")}), kExitOk) << err.str();
    const Bytes expected = {2,    'T', 0,   0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF,
                            0xFF, 2,   'A', 0, 2, 0, 0, 2, 0, 0, 0, 'h',  'i'};
    EXPECT_EQ(Read("out.kqp"), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.kqp.part"));
}

TEST_F(Kqpmake, AFailureLeavesAnExistingOutputAlone) {
    std::ofstream(dir / "old.kqp") << "old";
    std::ofstream(dir / "bad.txt") << "title = T\nnonsense\n";
    EXPECT_EQ(Run({Path("bad.txt"), Path("old.kqp")}), kExitFailed);
    EXPECT_NE(err.str().find("line 2"), std::string::npos) << err.str();
    EXPECT_EQ(Run({Path("none.txt"), Path("old.kqp")}), kExitFailed);
    EXPECT_EQ(Run({Path("src"), Path("old.kqp")}), kExitFailed);  // a folder
    EXPECT_EQ(err.str(), "kqpmake: " + Path("src") + ": is a folder\n");
    EXPECT_EQ(Read("old.kqp"), (Bytes{'o', 'l', 'd'}));

    std::ofstream(dir / "ok.txt") << "title = T\n";
    EXPECT_EQ(Run({Path("ok.txt"), Path("no/dir.kqp")}), kExitFailed);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace kqpmake
