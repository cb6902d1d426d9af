// What the user asked lrx to do, parsed from its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lrx::cli {

enum class Command { Help, Version, List, Add, Delete, Extract, Test };
enum class SortKey { Name, Raw, Packed, Date };
enum class OverwritePolicy { Ask, Skip, Always };

struct Options {
    Command command = Command::Help;
    std::string archive;
    std::vector<std::string> names;  // replays for add, entry names otherwise
    bool quiet = false;
    // list
    SortKey sortKey = SortKey::Name;
    bool reverse = false;
    bool json = false;
    // add and delete
    bool move = false;
    bool strict = false;
    bool noWait = false;  // fail instead of waiting for another lrx
    // add and extract: replays packed or unpacked at once; 0 is one per core
    unsigned jobs = 0;
    // extract
    std::string destination = ".";
    OverwritePolicy overwrite = OverwritePolicy::Ask;
    bool toStdout = false;  // one entry's replay to standard output
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // set when options is empty
    std::string usage;  // with error: the one usage line that applies
};

ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kHelp;

}  // namespace lrx::cli
