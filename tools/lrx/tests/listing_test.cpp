#include <gtest/gtest.h>

#include <cstdio>

#include "listing.h"
#include "progress_display.h"

namespace lrx::cli {
namespace {

Entry Make(const char* name, int32_t raw, int32_t packed, uint16_t day, uint16_t minute = 0) {
    return Entry{name, raw, packed, 2026, 12, day, 10, minute};
}

TEST(Listing, SortsLikeTheManagersColumns) {
    const std::vector<Entry> archive = {Make("b.rpl", 10, 5, 1), Make("A.rpl", 30, 5, 3),
                                        Make("c.rpl", 10, 9, 3), Make("a.rpl", 20, 1, 2)};
    // Equal names keep archive order either way; equal sizes and dates turn round.
    const struct {
        SortKey key;
        bool reverse;
        std::vector<std::string> names;
    } cases[] = {
        {SortKey::Name, false, {"A.rpl", "a.rpl", "b.rpl", "c.rpl"}},
        {SortKey::Name, true, {"c.rpl", "b.rpl", "A.rpl", "a.rpl"}},
        {SortKey::Raw, false, {"b.rpl", "c.rpl", "a.rpl", "A.rpl"}},
        {SortKey::Raw, true, {"A.rpl", "a.rpl", "c.rpl", "b.rpl"}},
        {SortKey::Date, false, {"A.rpl", "c.rpl", "a.rpl", "b.rpl"}},
        {SortKey::Date, true, {"b.rpl", "a.rpl", "c.rpl", "A.rpl"}},
    };
    for (const auto& c : cases) {
        auto sorted = archive;
        SortEntries(sorted, c.key, c.reverse);
        std::vector<std::string> names;
        for (const Entry& e : sorted) names.push_back(e.name);
        EXPECT_EQ(names, c.names);
    }
}

TEST(Listing, RatioTruncatesAndShowsNoneForDamagedRecords) {
    EXPECT_EQ(RatioPercent(1000, 333), 66);
    EXPECT_EQ(RatioPercent(100, 150), -50);
    EXPECT_EQ(RatioPercent(0, 4), 0);
    EXPECT_EQ(RatioPercent(5, 4), 20);
    EXPECT_EQ(RatioPercent(5, 9), -80);
    EXPECT_EQ(RatioPercent(100, 11400), std::nullopt);
    EXPECT_EQ(RatioPercent(-8, 4), std::nullopt);
}

TEST(Listing, TableHasHeaderEntriesAndTotals) {
    const std::string table =
        FormatTable({Make("race1.rpl", 1000, 333, 5, 7), Make("bad.rpl", 100, 11400, 1),
                     Make("\x1b]0;x\x07.rpl", 8, 4, 1), Make("\xc3\xa9t\xc3\xa9.rpl", 8, 4, 1)});
    EXPECT_EQ(table.rfind("Name", 0), 0u);
    EXPECT_NE(table.find("race1.rpl             1000          333    66%  2026-12-05 10:07"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("bad.rpl                100        11400      -  "), std::string::npos);
    // Quoted when a control character is in it; lined up by characters.
    EXPECT_NE(table.find("\n'\\033]0;x\\007.rpl'            8 "), std::string::npos) << table;
    EXPECT_NE(table.find("\n\xc3\xa9t\xc3\xa9.rpl                  8 "), std::string::npos)
        << table;
    EXPECT_NE(table.find("      -  4 entries"), std::string::npos) << table;
}

TEST(Listing, JsonHasEveryFieldOfEveryEntryAndEscapesNames) {
    EXPECT_EQ(FormatJson({}), "[]\n");
    // A name that is not UTF-8 is read as Windows-1252 and written as UTF-8;
    // a damaged record has no ratio.
    EXPECT_EQ(
        FormatJson({Make("q\"\\\x01\xe9\x80.rpl", 4, 2, 1), Make("bad.rpl", 100, 11400, 28, 59)}),
        "[\n"
        "  {\"name\": \"q\\\"\\\\\\u0001\xc3\xa9\xe2\x82\xac.rpl\", \"rawSize\": 4, "
        "\"packedSize\": 2, \"ratio\": 50, \"date\": \"2026-12-01T10:00\"},\n"
        "  {\"name\": \"bad.rpl\", \"rawSize\": 100, \"packedSize\": 11400, \"ratio\": null, "
        "\"date\": \"2026-12-28T10:59\"}\n"
        "]\n");
}

TEST(OverwritePrompt, AsksUntilItUnderstandsAndTakesEndAsNo) {
    auto ask = [](const char* input) {
        std::FILE* in = std::tmpfile();
        std::FILE* out = std::tmpfile();
        std::fputs(input, in);
        std::rewind(in);
        const Answer answer = AskOnTerminal("x.rpl", in, out);
        std::fclose(in);
        std::fclose(out);
        return answer;
    };
    EXPECT_EQ(ask("Y\n"), Answer::Yes);
    EXPECT_EQ(ask("maybe\nALWAYS\n"), Answer::Always);
    EXPECT_EQ(ask("\nno\n"), Answer::No);
    EXPECT_EQ(ask(""), Answer::No);
}

}  // namespace
}  // namespace lrx::cli
