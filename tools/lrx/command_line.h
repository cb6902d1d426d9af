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
    // add
    bool move = false;
    bool strict = false;
    // extract
    std::string destination = ".";
    OverwritePolicy overwrite = OverwritePolicy::Ask;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // set when options is empty
};

ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsage;

}  // namespace lrx::cli
