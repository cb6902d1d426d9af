#include "command_line.h"

namespace lrx::cli {

const char* const kHelp =
    "usage: lrx [--quiet] COMMAND ...\n"
    "\n"
    "  lrx list [--sort name|raw|packed|date] [--reverse] [--json] ARCHIVE\n"
    "  lrx add [--move] [--strict] [--no-wait] [-j N] ARCHIVE REPLAY...\n"
    "  lrx delete [--no-wait] ARCHIVE NAME...\n"
    "  lrx extract [-d DIR] [--overwrite ask|skip|always] [-j N] ARCHIVE [NAME...]\n"
    "  lrx extract -c|--stdout ARCHIVE NAME\n"
    "  lrx test ARCHIVE\n"
    "  lrx --help | --version\n"
    "\n"
    "list     shows the entries: name, raw and packed size, ratio and the date added\n"
    "add      packs replays into the archive (created when missing); a replay whose\n"
    "         name is present replaces that entry in its place. --move removes each\n"
    "         replay once it is stored. A replay that would not come back byte for\n"
    "         byte is added with a warning (and kept, even with --move), or refused\n"
    "         with --strict\n"
    "delete   removes entries by name (case is ignored); an emptied archive is removed\n"
    "extract  unpacks every entry, or the named ones, into DIR (default: here;\n"
    "         created when missing); --overwrite says what to do with existing\n"
    "         files (ask needs a terminal: without one they are skipped). --stdout\n"
    "         writes the one named replay to standard output\n"
    "test     decodes every entry without writing anything and reports each one.\n"
    "         OK means the entry decodes cleanly (right length, all its packed\n"
    "         data used, a well-formed replay), not that it is unchanged: archives\n"
    "         carry no checksum\n"
    "\n"
    "--quiet prints errors and warnings only. add and delete wait while another\n"
    "lrx changes the same archive (on Linux: any archive in its folder), or fail\n"
    "with --no-wait. Ctrl+C (on Linux also SIGTERM, SIGHUP) stops add, delete or\n"
    "extract cleanly; a second one ends at once (still removing the temporary\n"
    "files). -j N packs or unpacks N replays at once (default: one per core); the\n"
    "result is the same for every N. Names holding control characters, a\n"
    "backslash or bytes that are not UTF-8 are shown quoted: 'a\\033b.rpl'.\n"
    "\n"
    "Exit status: 0 success; the engine's result code on failure (e.g. 16 version\n"
    "mismatch, 21 cannot open replay, 29 name not allowed); 64 usage error; 65 a\n"
    "name matched no entry; 66 test found a damaged entry that decodes, a name\n"
    "extraction refuses, or bytes no entry holds; 67 refused by --strict; 75\n"
    "archive busy (--no-wait); 128 + N stopped by signal N (130 Ctrl+C).\n";

namespace {

struct Cursor {
    const std::vector<std::string>& args;
    std::size_t next = 0;
    bool Done() const { return next >= args.size(); }
    const std::string& Take() { return args[next++]; }
};

bool ParseSortKey(const std::string& text, SortKey& key) {
    if (text == "name")
        key = SortKey::Name;
    else if (text == "raw")
        key = SortKey::Raw;
    else if (text == "packed")
        key = SortKey::Packed;
    else if (text == "date")
        key = SortKey::Date;
    else
        return false;
    return true;
}

bool ParseJobs(const std::string& text, unsigned& jobs) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    jobs = static_cast<unsigned>(std::stoul(text));
    return jobs >= 1;
}

bool ParseOverwrite(const std::string& text, OverwritePolicy& policy) {
    if (text == "ask")
        policy = OverwritePolicy::Ask;
    else if (text == "skip")
        policy = OverwritePolicy::Skip;
    else if (text == "always")
        policy = OverwritePolicy::Always;
    else
        return false;
    return true;
}

const char* UsageLine(Command command) {
    switch (command) {
        case Command::List:
            return "usage: lrx list [--sort name|raw|packed|date] [--reverse] [--json] ARCHIVE";
        case Command::Add:
            return "usage: lrx add [--move] [--strict] [--no-wait] [-j N] ARCHIVE REPLAY...";
        case Command::Delete:
            return "usage: lrx delete [--no-wait] ARCHIVE NAME...";
        case Command::Extract:
            return "usage: lrx extract [-d DIR] [--overwrite ask|skip|always] [-j N] [-c] ARCHIVE "
                   "[NAME...]";
        case Command::Test:
            return "usage: lrx test ARCHIVE";
        default:
            return "usage: lrx [--quiet] list|add|delete|extract|test ...";
    }
}

ParseResult Fail(Command command, std::string message) {
    return {std::nullopt, std::move(message), UsageLine(command)};
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& arguments) {
    Options options;
    Cursor cursor{arguments};
    while (!cursor.Done() && arguments[cursor.next].rfind("-", 0) == 0) {
        const std::string& flag = cursor.Take();
        if (flag == "--quiet" || flag == "-q")
            options.quiet = true;
        else if (flag == "--help" || flag == "-h")
            return {options, {}, {}};
        else if (flag == "--version" || flag == "-V") {
            options.command = Command::Version;
            return {options, {}, {}};
        } else
            return Fail(Command::Help, "unknown option " + flag);
    }
    if (cursor.Done()) return Fail(Command::Help, "no command given");
    const std::string command = cursor.Take();
    if (command == "list")
        options.command = Command::List;
    else if (command == "add")
        options.command = Command::Add;
    else if (command == "delete")
        options.command = Command::Delete;
    else if (command == "extract")
        options.command = Command::Extract;
    else if (command == "test")
        options.command = Command::Test;
    else if (command == "help")
        return {options, {}, {}};
    else
        return Fail(Command::Help, "unknown command " + command);

    std::vector<std::string> operands;
    bool optionsEnded = false;
    while (!cursor.Done()) {
        const std::string& arg = cursor.Take();
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        // "-j4" is "-j 4", as with other tools.
        const bool joined = arg.size() > 2 && arg.rfind("-j", 0) == 0;
        auto value = [&](std::string& out) {
            if (joined) {
                out = arg.substr(2);
                return true;
            }
            if (cursor.Done()) return false;
            out = cursor.Take();
            return true;
        };
        std::string text;
        const Command c = options.command;
        if (arg == "--")
            optionsEnded = true;
        else if (arg == "--quiet" || arg == "-q")
            options.quiet = true;
        else if (c == Command::List && arg == "--sort") {
            if (!value(text) || !ParseSortKey(text, options.sortKey)) {
                return Fail(c, "--sort takes name, raw, packed or date");
            }
        } else if (c == Command::List && arg == "--reverse")
            options.reverse = true;
        else if (c == Command::List && arg == "--json")
            options.json = true;
        else if (c == Command::Add && arg == "--move")
            options.move = true;
        else if (c == Command::Add && arg == "--strict")
            options.strict = true;
        else if ((c == Command::Add || c == Command::Delete) && arg == "--no-wait")
            options.noWait = true;
        else if ((c == Command::Add || c == Command::Extract) &&
                 (arg == "-j" || joined || arg == "--jobs")) {
            if (!value(text) || !ParseJobs(text, options.jobs)) {
                return Fail(c, "-j takes a number of jobs from 1 to 999");
            }
        } else if (c == Command::Extract && (arg == "-c" || arg == "--stdout"))
            options.toStdout = true;
        else if (c == Command::Extract && (arg == "-d" || arg == "--directory")) {
            if (!value(options.destination) || options.destination.empty()) {
                return Fail(c, "-d takes a folder");
            }
        } else if (c == Command::Extract && arg == "--overwrite") {
            if (!value(text) || !ParseOverwrite(text, options.overwrite)) {
                return Fail(c, "--overwrite takes ask, skip or always");
            }
        } else
            return Fail(c, "unknown option " + arg + " for " + command);
    }

    if (operands.empty()) return Fail(options.command, command + " needs an archive");
    options.archive = operands.front();
    options.names.assign(operands.begin() + 1, operands.end());
    const bool needsNames = options.command == Command::Add || options.command == Command::Delete;
    if (needsNames && options.names.empty()) {
        return Fail(options.command,
                    command + (options.command == Command::Add ? " needs at least one replay"
                                                               : " needs at least one name"));
    }
    const bool takesNames = needsNames || options.command == Command::Extract;
    if (!takesNames && !options.names.empty()) {
        return Fail(options.command, command + " takes only an archive");
    }
    if (options.toStdout && options.names.size() != 1) {
        return Fail(options.command, "--stdout takes exactly one name");
    }
    return {options, {}, {}};
}

}  // namespace lrx::cli
