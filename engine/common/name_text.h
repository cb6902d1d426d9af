// How stored names are shown to people. A name is bytes of no recorded
// encoding: archives come from Windows, so a name that is not valid UTF-8 is
// taken to be in its Western code page, Windows-1252. Names are untrusted:
// the control characters one may hold must never reach a terminal raw.
#pragma once

#include <cstddef>
#include <string>

namespace lrx {

// The name as UTF-8: valid UTF-8 unchanged, anything else read byte by byte
// as Windows-1252 (its five unassigned bytes 81, 8D, 8F, 90 and 9D as the
// control characters of those numbers, as Windows maps them).
std::string NameAsUtf8(const std::string& stored);

// The name for text output: as stored when it is printable UTF-8 without a
// backslash; otherwise in single quotes, with \n, \r, \t, \\ and \' and each
// other byte that is not printable UTF-8 as a backslash and three octal
// digits: 'a\033b.rpl', 'caf\351.rpl'. (With a $ in front it is the shell's
// $'...' for the same bytes.)
std::string PrintableName(const std::string& stored);

// The name as a JSON string, quotes included: NameAsUtf8 with quotes,
// backslashes and control characters escaped ("a\u001bb.rpl").
std::string JsonName(const std::string& stored);

// Pads UTF-8 text with spaces to at least the given number of characters.
std::string PadToColumns(std::string text, std::size_t columns);

}  // namespace lrx
