#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "kqp_writer.h"
#include "kqpmake_tool.h"

namespace kqpmake {
namespace {

class KqpmakeTool : public testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::path(testing::TempDir()) /
              ("kqpmake-" +
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
    std::string Path(const char* name) const { return (dir / name).string(); }
    static Bytes Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(KqpmakeTool, HelpDescribesTheManifestAndWrongArgumentsAreAUsageError) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    for (const char* word : {"title", "[directory]", "[file]", "key-byte", "source", "root"}) {
        EXPECT_NE(out.str().find(word), std::string::npos) << word;
    }
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_EQ(Run({"only-one"}), kExitUsage);
    EXPECT_EQ(Run({"a", "b", "c"}), kExitUsage);
    EXPECT_EQ(Run({"--quiet", "b"}), kExitUsage);
    EXPECT_NE(err.str().find("usage"), std::string::npos);
}

TEST_F(KqpmakeTool, WritesThePatchWithSourcesBesideTheManifest) {
    std::ofstream(dir / "src" / "a.bin", std::ios::binary) << "hi";
    std::ofstream(dir / "src" / "patch.txt") << "title = T\n[file]\ndirectory = windows\n"
                                                "name = A\noperation = add\nsource = a.bin\n";
    ASSERT_EQ(Run({Path("src/patch.txt"), Path("out.kqp")}), kExitOk) << err.str();
    const Bytes expected = {2,    'T', 0,   0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF,
                            0xFF, 2,   'A', 0, 2, 0, 0, 2, 0, 0, 0, 'h',  'i'};
    EXPECT_EQ(Read(dir / "out.kqp"), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.kqp.part"));
}

TEST_F(KqpmakeTool, AFailureLeavesAnExistingOutputAlone) {
    std::ofstream(dir / "old.kqp") << "old";
    std::ofstream(dir / "bad.txt") << "title = T\nnonsense\n";
    EXPECT_EQ(Run({Path("bad.txt"), Path("old.kqp")}), kExitFailed);
    EXPECT_NE(err.str().find("line 2"), std::string::npos) << err.str();
    EXPECT_EQ(Run({Path("none.txt"), Path("old.kqp")}), kExitFailed);
    EXPECT_EQ(Read(dir / "old.kqp"), (Bytes{'o', 'l', 'd'}));

    std::ofstream(dir / "ok.txt") << "title = T\n";
    EXPECT_EQ(Run({Path("ok.txt"), Path("no/dir.kqp")}), kExitFailed);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace kqpmake
