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

// Every command with every option: taken and applied where its usage line
// shows it, refused by name everywhere else.
TEST(CommandLine, EachCommandTakesTheOptionsItsUsageShows) {
    using Applied = bool (*)(const Options&);
    const struct {
        std::vector<std::string> tokens;
        const char* takenBy;  // first letters of the commands
        const char* shown;    // in their usage lines; empty: in none
        Applied applied;
    } options[] = {
        {{"--sort", "raw"},
         "l",
         "[--sort name|raw|packed|date]",
         [](const Options& o) { return o.sortKey == SortKey::Raw; }},
        {{"--reverse"}, "l", "[--reverse]", [](const Options& o) { return o.reverse; }},
        {{"--json"}, "l", "[--json]", [](const Options& o) { return o.json; }},
        {{"--move"}, "a", "[--move]", [](const Options& o) { return o.move; }},
        {{"--strict"}, "a", "[--strict]", [](const Options& o) { return o.strict; }},
        {{"--no-wait"}, "ad", "[--no-wait]", [](const Options& o) { return o.noWait; }},
        {{"-j", "7"}, "ae", "[-j N]", [](const Options& o) { return o.jobs == 7; }},
        {{"-j7"}, "ae", "", [](const Options& o) { return o.jobs == 7; }},
        {{"--jobs", "7"}, "ae", "", [](const Options& o) { return o.jobs == 7; }},
        {{"-c"}, "e", "[-c]", [](const Options& o) { return o.toStdout; }},
        {{"--stdout"}, "e", "", [](const Options& o) { return o.toStdout; }},
        {{"-d", "out"}, "e", "[-d DIR]", [](const Options& o) { return o.destination == "out"; }},
        {{"--directory", "out"}, "e", "", [](const Options& o) { return o.destination == "out"; }},
        {{"--overwrite", "always"},
         "e",
         "[--overwrite ask|skip|always]",
         [](const Options& o) { return o.overwrite == OverwritePolicy::Always; }},
        {{"-q"}, "ladet", "", [](const Options& o) { return o.quiet; }},
        {{"--quiet"}, "ladet", "", [](const Options& o) { return o.quiet; }},
    };
    for (const std::string command : {"list", "add", "delete", "extract", "test"}) {
        const std::string usage = Parse({command}).usage;  // no archive: refused
        const bool takesNames = command == "add" || command == "delete" || command == "extract";
        for (const auto& option : options) {
            std::vector<std::string> args{command};
            args.insert(args.end(), option.tokens.begin(), option.tokens.end());
            args.push_back("a.lrx");
            if (takesNames) args.push_back("r.rpl");
            const std::string shown = testing::PrintToString(args);
            const bool taken = std::string(option.takenBy).find(command[0]) != std::string::npos;
            const ParseResult result = Parse(args);
            EXPECT_FALSE(option.applied(Options{})) << shown;
            ASSERT_EQ(result.options.has_value(), taken) << shown << " " << result.error;
            if (taken) {
                EXPECT_TRUE(option.applied(*result.options)) << shown;
                EXPECT_EQ(result.options->archive, "a.lrx") << shown;
                EXPECT_EQ(result.options->names.size(), takesNames ? 1u : 0u) << shown;
            } else {
                EXPECT_EQ(result.error, "unknown option " + option.tokens[0] + " for " + command);
                EXPECT_EQ(result.usage, usage);
            }
            if (*option.shown) {
                EXPECT_EQ(usage.find(option.shown) != std::string::npos, taken) << usage;
            }
        }
    }
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
