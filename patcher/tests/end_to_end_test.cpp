// A patch written by kqpmake from a manifest, applied by the wizard.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "kqpmake_tool.h"
#include "test_support.h"

namespace kqp::test {
namespace {

TEST(EndToEnd, AManifestsPatchAppliesAsWritten) {
    WizardHarness h;
    WriteBytes(h.scratch / "map.dat", Pattern(20000));
    std::ofstream(h.scratch / "patch.txt") << R"(title = Racing 1.2
[directory]
id = 3
kind = registry
key = SOFTWARE\KenQuill\Racing
root = HKLM
[file]
directory = 3
name = DATA\MAP.DAT
operation = replace
key-byte = 200
source = map.dat
[file]
directory = 3
name = OLD.TXT
operation = remove
)";
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(kqpmake::RunKqpmake({h.scratch / "patch.txt", h.scratch / "p.kqp"}, out, err),
              kqpmake::kExitOk)
        << err.str();

    h.platform.registry[{RegistryRoot::kLocalMachine, "SOFTWARE\\KenQuill\\Racing"}] =
        "D:\\RACING\\RACE.EXE";
    h.platform.WriteFile("D:\\RACING\\DATA\\MAP.DAT", {1, 2, 3});
    h.platform.WriteFile("D:\\RACING\\OLD.TXT", {4});
    h.Start(h.scratch / "p.kqp");
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(h.view.caption, "KQPatch - Racing 1.2");
    EXPECT_EQ(h.platform.ReadFile("D:\\RACING\\DATA\\MAP.DAT"), Pattern(20000));
    EXPECT_FALSE(h.platform.Exists("D:\\RACING\\OLD.TXT"));
}

}  // namespace
}  // namespace kqp::test
