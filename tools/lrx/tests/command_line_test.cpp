#include <gtest/gtest.h>

#include "command_line.h"

namespace lrx::cli {
namespace {

ParseResult Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(CommandLine, ParsesEachCommandWithItsOptions) {
    auto list = Parse({"list", "--sort", "date", "--reverse", "--json", "a.lrx"});
    ASSERT_TRUE(list.options) << list.error;
    EXPECT_EQ(list.options->sortKey, SortKey::Date);
    EXPECT_TRUE(list.options->reverse);
    EXPECT_TRUE(list.options->json);
    EXPECT_EQ(list.options->archive, "a.lrx");

    auto add =
        Parse({"--quiet", "add", "--move", "--no-wait", "-j", "12", "a.lrx", "r1.rpl", "r2.rpl"});
    ASSERT_TRUE(add.options) << add.error;
    EXPECT_TRUE(add.options->quiet);
    EXPECT_TRUE(add.options->move);
    EXPECT_TRUE(add.options->noWait);
    EXPECT_EQ(add.options->jobs, 12u);
    EXPECT_EQ(add.options->names, (std::vector<std::string>{"r1.rpl", "r2.rpl"}));

    auto extract = Parse({"extract", "-d", "out", "--overwrite", "skip", "a.lrx"});
    ASSERT_TRUE(extract.options) << extract.error;
    EXPECT_EQ(extract.options->destination, "out");
    EXPECT_EQ(extract.options->overwrite, OverwritePolicy::Skip);

    auto joined = Parse({"extract", "-j4", "-c", "a.lrx", "r.rpl"});  // as "-j 4"
    ASSERT_TRUE(joined.options) << joined.error;
    EXPECT_EQ(joined.options->jobs, 4u);
    EXPECT_TRUE(joined.options->toStdout);
    auto dashed = Parse({"delete", "a.lrx", "--", "-odd.rpl"});
    ASSERT_TRUE(dashed.options) << dashed.error;
    EXPECT_EQ(dashed.options->names, (std::vector<std::string>{"-odd.rpl"}));

    EXPECT_EQ(Parse({"--version"}).options->command, Command::Version);
    EXPECT_EQ(Parse({"--help"}).options->command, Command::Help);
}

TEST(CommandLine, RefusesWhatItCannotDo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"pack", "a.lrx"},
             {"list"},
             {"list", "a.lrx", "extra"},
             {"list", "--sort", "ratio", "a.lrx"},
             {"list", "--sort"},
             {"add", "a.lrx"},
             {"delete", "a.lrx"},
             {"extract", "--overwrite", "maybe", "a.lrx"},
             {"extract", "-d"},
             {"test", "--move", "a.lrx"},
             {"extract", "--stdout", "a.lrx"},
             {"delete", "--move", "a.lrx", "r.rpl"},
             {"add", "-j", "0", "a.lrx", "r.rpl"},
             {"extract", "-j", "2x", "a.lrx"},
             {"add", "-j0", "a.lrx", "r.rpl"},
         }) {
        const ParseResult result = Parse(args);
        EXPECT_FALSE(result.options) << testing::PrintToString(args);
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(result.usage.rfind("usage: lrx ", 0), 0u);
    }
}

}  // namespace
}  // namespace lrx::cli
