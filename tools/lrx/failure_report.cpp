#include "failure_report.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_stream.h"
#include "lrxpack.h"
#include "path_facts.h"

namespace lrx::cli {
namespace {

// What is at path when it is no file: "a FIFO, not a regular file"; "" for a
// file or nothing.
std::string NonFileProblem(const std::string& path, bool followLinks) {
    const char* kind = NonFileKind(followLinks ? ResolveLinks(path) : path);
    return kind ? std::string(kind) + ", not a regular file" : std::string();
}

// Why path cannot be opened for reading, or "" when it can. Never waits: a
// FIFO is named as one, not opened.
std::string OpenProblem(const std::string& path) {
    if (std::string problem = NonFileProblem(path, true); !problem.empty()) return problem;
    errno = 0;
    FileStream file(path.c_str(), "rb");
    if (!file.IsOpen()) return std::strerror(errno ? errno : ENOENT);
    return {};
}

bool IsWritingCode(int code) {
    return (code >= LRX_WRITING_HEADER && code <= LRX_WRITING_A3 && code % 2 == 0) ||
           code == LRX_WRITING_RECORD_SIZE;
}

std::string ArchiveProblem(const FailureScene& scene, int code) {
    const std::string& archive = scene.archive;
    if (IsFolder(archive)) return archive + ": is a folder, not an archive";
    if (code == LRX_VERSION_MISMATCH) {
        long version = 0;
        ttzS(const_cast<char*>(archive.c_str()), version);
        return archive + ": version mismatch: the archive is version " + std::to_string(version) +
               ", lrx reads " + std::to_string(N3Sf());
    }
    const std::string problem = OpenProblem(archive);
    if (!problem.empty()) return archive + ": cannot open archive: " + problem;
    if (code == LRX_READING_FILE_INFO && scene.operation == Operation::List) {
        return archive + ": damaged: a directory record is unreadable or leads outside the file";
    }
    if (code == LRX_READING_FILE_INFO) {
        return archive +
               ": damaged: its entries do not cover it, and rewriting it would lose "
               "the bytes no entry holds; not changed ('lrx test' shows them)";
    }
    return archive + ": damaged, or not an archive: its header or directory cannot be read";
}

}  // namespace

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

std::string DescribeFailure(const FailureScene& scene, int code) {
    const std::string system =
        scene.systemError ? std::strerror(scene.systemError) : std::string(fUwu(code));
    const std::string& archive = scene.archive;
    const std::string entryFile = scene.destination + scene.entry;
    switch (code) {
        case LRX_READING_FILE_HEADER:
        case LRX_READING_FILE_INFO:
        case LRX_VERSION_MISMATCH:
        case LRX_OPENING_ARCHIVE:
            return ArchiveProblem(scene, code);
        case LRX_CREATING_TEMP_FILE:
            if (LookAt(ResolveLinks(archive), true).names > 1) {
                return archive +
                       ": has other names (hard links), which a new archive in its "
                       "place would part from it; not changed";
            }
            return archive + ": cannot write the new archive: " + system;
        case LRX_WRITING_FILE_INFO:
            return archive + ": cannot write the new archive: " + system;
        case LRX_ARCHIVE_TOO_LARGE:
            return archive + ": would grow past 2 GiB, the most an archive can hold; nothing " +
                   "added";
        case LRX_REMOVING_EMPTY_ARCHIVE:
            return archive + ": cannot remove the emptied archive: " + system;
        case LRX_OPENING_REPLAY: {
            if (IsFolder(scene.replay)) return scene.replay + ": is a folder, not a replay";
            const std::string problem = OpenProblem(scene.replay);
            return scene.replay + ": cannot open replay: " + (problem.empty() ? system : problem);
        }
        case LRX_DELETING_MOVED_REPLAY:
            return scene.replay + ": stored, but cannot remove the replay: " + system;
        case LRX_REPLAY_NAME_TOO_LONG:
            return scene.replay + ": " + fUwu(code) + " (at most 13 characters)";
        case LRX_CREATING_REPLAY_FILE: {
            const std::string problem = NonFileProblem(entryFile, false);
            return entryFile + ": cannot create replay: " + (problem.empty() ? system : problem);
        }
        case LRX_ABORTED:
            return archive + (scene.operation == Operation::Add
                                  ? ": stopped; the archive is as it was"
                                  : ": stopped");
        default:
            break;
    }
    // Codec codes: in add, reading codes are about the replay and writing
    // codes about the archive; in extract the other way round.
    const bool writing = IsWritingCode(code);
    if (scene.operation == Operation::Add) {
        if (writing) return archive + ": cannot write the new archive: " + system;
        if (code >= LRX_READING_HEADER && code <= LRX_READING_RECORD_SIZE) {
            return scene.replay + ": not a replay lrx can pack: " + fUwu(code);
        }
        return scene.replay + ": " + fUwu(code);
    }
    if (writing && scene.systemError && scene.operation == Operation::Extract) {
        return entryFile + ": cannot write replay: " + system;
    }
    return archive + ": " + scene.entry + ": damaged entry: " + fUwu(code);
}

int ReportFailure(const FailureScene& scene, int code) {
    std::fprintf(stderr, "lrx: %s\n", DescribeFailure(scene, code).c_str());
    return code;
}

}  // namespace lrx::cli
