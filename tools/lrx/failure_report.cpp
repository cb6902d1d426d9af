#include "failure_report.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "name_text.h"
#include "path_facts.h"

namespace lrx::cli {
namespace {

// What is at path when it is no file: "a FIFO, not a regular file"; "" for a
// file or nothing.
std::string NonFileProblem(const std::string& path, bool followLinks) {
    const char* kind = NonFileKind(path, followLinks);
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

#ifdef _WIN32
const char* const kNameRule =
    " (no colon, backslash or control character, no device name, no trailing dot or space)";
#else
const char* const kNameRule = " (no colon, backslash or control character)";
#endif

// What stands where an extracted replay would go and is no file lrx may
// replace, or "".
std::string ObstacleAt(const std::string& path) {
    if (std::string problem = NonFileProblem(path, false); !problem.empty()) return problem;
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)) &&
        !std::filesystem::exists(path, error)) {
        return "a symbolic link to a missing file is in the way";
    }
    return {};
}

std::string ArchiveProblem(const FailureScene& scene, int code) {
    const std::string& archive = scene.archive;
    if (IsFolder(archive)) return archive + ": is a folder, not an archive";
    // A pipe would give other bytes at every read: the engine never opens one.
    if (const std::string problem = NonFileProblem(archive, true); !problem.empty()) {
        return archive + ": cannot open archive: " + problem + "; save it to a file first";
    }
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
    const std::string shownEntryFile = scene.destination + PrintableName(scene.entry);
    switch (code) {
        case LRX_READING_FILE_HEADER:
        case LRX_READING_FILE_INFO:
        case LRX_VERSION_MISMATCH:
        case LRX_OPENING_ARCHIVE:
            return ArchiveProblem(scene, code);
        case LRX_CREATING_TEMP_FILE:
            // The add began with no archive and another program created one
            // before it finished: that one is kept.
            if (scene.operation == Operation::Add && scene.systemError == EEXIST) {
                return archive + ": appeared while this add ran and was kept; nothing added, " +
                       "run it again";
            }
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
            // A name without an extension is read with ".rpl" added.
            const std::string read = ReplayFilePath(scene.replay);
            const std::string added =
                read == scene.replay ? "" : read + " (.rpl is added to a name without one): ";
            if (IsFolder(read)) return scene.replay + ": " + added + "is a folder, not a replay";
            const std::string problem = OpenProblem(read);
            return scene.replay + ": cannot open replay: " + added +
                   (problem.empty() ? system : problem);
        }
        case LRX_DELETING_MOVED_REPLAY:
            return scene.replay + ": stored, but cannot remove the replay: " + system;
        case LRX_REPLAY_NAME_TOO_LONG:
            return scene.replay + ": " + fUwu(code) + " (" +
                   std::to_string(EntryNameOf(scene.replay).size()) + " bytes, at most " +
                   std::to_string(kMaxEntryNameLength) + ")";
        case LRX_REPLAY_NAME_NOT_ALLOWED:
            if (scene.operation == Operation::Add) {
                return scene.replay + ": the name " + PrintableName(EntryNameOf(scene.replay)) +
                       " is not allowed in an archive" + kNameRule;
            }
            return archive + ": " + PrintableName(scene.entry) +
                   ": stored name not allowed as a file name; not extracted";
        case LRX_CREATING_REPLAY_FILE: {
            const std::string problem = ObstacleAt(entryFile);
            return shownEntryFile +
                   ": cannot create replay: " + (problem.empty() ? system : problem);
        }
        case LRX_ABORTED:
            return archive + (scene.operation == Operation::Extract
                                  ? ": stopped"
                                  : ": stopped; the archive is as it was");
        default:
            break;
    }
    // Codec codes: in add only reading codes come, about the replay (a failed
    // write is 18); in extract writing codes are about the replay.
    const bool writing = IsCodecWritingCode(code);
    if (scene.operation == Operation::Add) {
        if (code >= LRX_READING_HEADER && code <= LRX_READING_RECORD_SIZE) {
            return scene.replay + ": not a replay lrx can pack: " + fUwu(code);
        }
        return scene.replay + ": " + fUwu(code);
    }
    if (writing && scene.systemError && scene.operation == Operation::Extract) {
        return shownEntryFile + ": cannot write replay: " + system;
    }
    return archive + ": " + PrintableName(scene.entry) + ": damaged entry: " + fUwu(code);
}

int ReportFailure(const FailureScene& scene, int code) {
    std::fprintf(stderr, "lrx: %s\n", DescribeFailure(scene, code).c_str());
    return code;
}

}  // namespace lrx::cli
