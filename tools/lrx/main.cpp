// lrx: a command-line archive tool on the replay archive engine.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "interrupt.h"
#include "lrxpack.h"

namespace {

// A run stopped by a signal ends as such runs conventionally do: 128 plus the
// signal's number (130 for Ctrl+C) rather than the engine's "Aborted".
int StatusOf(int status) {
    using namespace lrx::cli;
    return status == LRX_ABORTED && InterruptRequested() ? InterruptExitStatus() : status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lrx::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParseResult parsed = ParseCommandLine(arguments);
    if (!parsed.options) {
        std::fprintf(stderr, "lrx: %s\n%s\ntry 'lrx --help'\n", parsed.error.c_str(),
                     parsed.usage.c_str());
        return kUsageError;
    }
    const Options& options = *parsed.options;
    switch (options.command) {
        case Command::Help:
            std::fputs(kHelp, stdout);
            return 0;
        case Command::Version:
            std::printf("lrx 1.0.0 (archive format %d)\n", N3Sf());
            return 0;
        case Command::List:
            return StatusOf(RunList(options));
        case Command::Add:
            return StatusOf(RunAdd(options));
        case Command::Delete:
            return StatusOf(RunDelete(options));
        case Command::Extract:
            return StatusOf(RunExtract(options));
        case Command::Test:
            return StatusOf(RunTest(options));
    }
    return kUsageError;
}
