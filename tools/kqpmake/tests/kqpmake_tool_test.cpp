#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "kqp_writer.h"
#include "kqpmake_tool.h"
#include "manifest.h"

namespace kqpmake {
namespace {

class KqpmakeTool : public testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::path(testing::TempDir()) /
              ("kqpmake-tool-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "src");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunKqpmake(args, out, err);
    }

    static Bytes Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(KqpmakeTool, HelpDescribesTheManifest) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    for (const char* word : {"title", "[directory]", "[file]", "key-byte", "source", "root"}) {
        EXPECT_NE(out.str().find(word), std::string::npos) << word;
    }
}

TEST_F(KqpmakeTool, WrongArgumentsAreAUsageError) {
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_EQ(Run({"only-one"}), kExitUsage);
    EXPECT_EQ(Run({"a", "b", "c"}), kExitUsage);
    EXPECT_EQ(Run({"--quiet", "b"}), kExitUsage);
    EXPECT_NE(err.str().find("usage"), std::string::npos);
}

TEST_F(KqpmakeTool, WritesThePatchWithSourcesBesideTheManifest) {
    std::ofstream(dir / "src" / "a.bin", std::ios::binary) << "hello";
    std::ofstream(dir / "src" / "patch.txt") << "title = T\n[file]\ndirectory = windows\n"
                                                "name = A.BIN\noperation = add\nsource = a.bin\n";
    const auto output = dir / "out.kqp";
    ASSERT_EQ(Run({(dir / "src" / "patch.txt").string(), output.string()}), kExitOk) << err.str();

    PatchContent content;
    std::string error;
    ASSERT_TRUE(
        ParseManifest("title = T\n[file]\ndirectory = windows\nname = A.BIN\n"
                      "operation = add\nsource = a.bin\n",
                      dir / "src", content, error));
    Bytes expected;
    ASSERT_TRUE(BuildPatch(content, expected, error));
    EXPECT_EQ(Read(output), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.kqp.part"));
}

TEST_F(KqpmakeTool, AFailureLeavesAnExistingOutputAlone) {
    std::ofstream(dir / "old.kqp") << "old";
    std::ofstream(dir / "bad.txt") << "title = T\nnonsense\n";
    EXPECT_EQ(Run({(dir / "bad.txt").string(), (dir / "old.kqp").string()}), kExitFailed);
    EXPECT_NE(err.str().find("line 2"), std::string::npos) << err.str();
    EXPECT_EQ(Read(dir / "old.kqp"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Run({(dir / "none.txt").string(), (dir / "old.kqp").string()}), kExitFailed);
    EXPECT_EQ(Run({(dir / "bad.txt").string(), (dir / "no" / "dir.kqp").string()}), kExitFailed);
}

TEST_F(KqpmakeTool, AnUnwritableOutputIsAFailure) {
    std::ofstream(dir / "ok.txt") << "title = T\n";
    EXPECT_EQ(Run({(dir / "ok.txt").string(), (dir / "no" / "dir.kqp").string()}), kExitFailed);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace kqpmake
