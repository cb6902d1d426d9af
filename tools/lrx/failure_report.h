// Messages for failed engine calls. The engine returns a code whose text names
// a step ("Creating temporary file"); a user needs the file the failure is
// about and the system's reason: "lrx: race2.rpl: cannot open replay: No such
// file or directory".
#pragma once

#include <string>
#include <utility>

namespace lrx::cli {

enum class Operation { List, Add, Delete, Extract, Test };

// What the failed call was working on.
struct FailureScene {
    FailureScene(Operation op, std::string archivePath)
        : operation(op), archive(std::move(archivePath)) {}

    Operation operation;
    std::string archive;
    std::string replay;       // add: the replay in hand
    std::string destination;  // extract: the destination folder
    std::string entry;        // extract, test: the entry in hand, when known
    int systemError = 0;      // errno right after the call, 0 when unknown
};

// "FILE: what went wrong: reason", without the "lrx: " in front.
std::string DescribeFailure(const FailureScene& scene, int code);

// Prints "lrx: " and the description to stderr; returns code.
int ReportFailure(const FailureScene& scene, int code);

bool IsFolder(const std::string& path);

}  // namespace lrx::cli
