// The kqpmake command: a manifest in, a patch file out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kqpmake {

// Exit status of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// args are the command-line arguments after the program's name.
int RunKqpmake(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kqpmake
