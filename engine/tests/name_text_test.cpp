#include <gtest/gtest.h>

#include "name_text.h"

namespace lrx {
namespace {

// Names as an archive may hold them, as text output and JSON show them.
TEST(NameText, ControlsAreEscapedAndOtherBytesReadAsWindows1252) {
    const struct {
        const char* stored;
        const char* text;
        const char* json;
    } cases[] = {
        {"race1.rpl", "race1.rpl", R"("race1.rpl")"},
        {"it's \"q\".rpl", "it's \"q\".rpl", R"("it's \"q\".rpl")"},
        {"a\x1b[2Jb.rpl", R"('a\033[2Jb.rpl')", R"("a\u001b[2Jb.rpl")"},
        {"x\r\n\t\x7f.rpl", R"('x\r\n\t\177.rpl')", R"("x\u000d\u000a\u0009\u007f.rpl")"},
        {"a\\b'c", R"('a\\b\'c')", R"("a\\b'c")"},
        {"caf\xc3\xa9.rpl", "caf\xc3\xa9.rpl", "\"caf\xc3\xa9.rpl\""},  // UTF-8 stays
        {"caf\xe9.rpl", R"('caf\351.rpl')", "\"caf\xc3\xa9.rpl\""},     // Windows-1252
        // 80 and 9F are the euro and Y diaeresis; 81 and 9D are unassigned.
        {"\x80\x9f\x81\x9d", R"('\200\237\201\235')", "\"\xe2\x82\xac\xc5\xb8\\u0081\\u009d\""},
        // A C1 control written as UTF-8, and bytes that only look like UTF-8.
        {"a\xc2\x9b"
         "b",
         R"('a\302\233b')", R"("a\u009bb")"},
        {"\xc0\xaf\xed\xa0\x80", R"('\300\257\355\240\200')",
         "\"\xc3\x80\xc2\xaf\xc3\xad\xc2\xa0\xe2\x82\xac\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintableName(c.stored), c.text) << c.stored;
        EXPECT_EQ(JsonName(c.stored), c.json) << c.stored;
    }
    EXPECT_EQ(PadToColumns("caf\xc3\xa9", 6), "caf\xc3\xa9  ");
    EXPECT_EQ(PadToColumns("long name", 4), "long name");
}

}  // namespace
}  // namespace lrx
