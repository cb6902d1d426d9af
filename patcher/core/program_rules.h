// Start-up rules of the patch program that need no window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kqp {

// The patch file named on the command line: the one argument after the
// program's name; none with no argument or more than one.
std::optional<std::string> PatchFileFromCommandLine(int argc, const char* const* argv);

// The show command for the main window: hidden (0) and
// minimised-without-activation (7) are kept, anything else shows normally (1).
int MainWindowShowCommand(int showCommand);

// "KQPatch - " and the patch title.
std::string MainWindowCaption(std::string_view title);

}  // namespace kqp
