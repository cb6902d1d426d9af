#include "failure_report.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "lrxpack.h"

namespace lrx::cli {
namespace {

// Why path cannot be opened for reading, or "" when it can.
std::string OpenProblem(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno ? errno : ENOENT);
    std::fclose(file);
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
        case LRX_WRITING_FILE_INFO:
            return archive + ": cannot write the new archive: " + system;
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
        case LRX_CREATING_REPLAY_FILE:
            return entryFile + ": cannot create replay: " + system;
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
