#include "failure_message.h"

#include <cerrno>
#include <cstring>

#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"
#include "lrxpack_api.h"
#include "name_text.h"
#include "path_facts.h"

namespace lrx {
namespace {

#ifdef _WIN32
const char* const kNameRule =
    " (no colon, backslash or control character, no device name, no trailing dot or space)";
#else
const char* const kNameRule = " (no colon, backslash or control character)";
#endif

// The system's reason, or the code's own text when the system gave none.
std::string Reason(const Failure& failure) {
    return failure.systemError ? std::strerror(failure.systemError) : fUwu(failure.code);
}

// "a FIFO, not a regular file" for what is no file; "" otherwise.
std::string NonFileProblem(int detail) {
    const char* kind = NonFileText(detail);
    return kind ? std::string(kind) + ", not a regular file" : std::string();
}

// A destination file with the entry's part made safe for a terminal: the
// name comes from the archive. Without a file (a program's writer, a scratch
// file), the entry alone.
std::string ShownDestination(const Failure& failure) {
    const std::string& path = failure.path;
    const std::string& entry = failure.entry;
    if (path.empty()) return PrintableName(entry);
    if (entry.empty() || path.size() < entry.size() ||
        path.compare(path.size() - entry.size(), entry.size(), entry) != 0) {
        return path;
    }
    return path.substr(0, path.size() - entry.size()) + PrintableName(entry);
}

std::string ArchiveProblem(const Failure& failure) {
    const std::string& archive = failure.path;
    const int code = failure.code;
    if (code == LRX_VERSION_MISMATCH) {
        return archive + ": version mismatch: the archive is version " +
               std::to_string(failure.detail) + ", lrx reads " + std::to_string(N3Sf());
    }
    if (failure.detail == LRX_PATH_FOLDER) return archive + ": is a folder, not an archive";
    // A pipe would give other bytes at every read: the engine never opens one.
    if (const std::string problem = NonFileProblem(failure.detail); !problem.empty()) {
        return archive + ": cannot open archive: " + problem + "; save it to a file first";
    }
    if (failure.systemError) return archive + ": cannot open archive: " + Reason(failure);
    if (code == LRX_READING_FILE_INFO && failure.call == LRX_CALL_LIST) {
        return archive + ": damaged: a directory record is unreadable or leads outside the file";
    }
    if (code == LRX_READING_FILE_INFO) {
        return archive +
               ": damaged: its entries do not cover it, and rewriting it would lose "
               "the bytes no entry holds; not changed ('lrx test' shows them)";
    }
    return archive + ": damaged, or not an archive: its header or directory cannot be read";
}

std::string CodecProblem(const Failure& failure) {
    const int code = failure.code;
    // In add only reading codes come, about the replay (a failed write is 18).
    if (failure.call == LRX_CALL_ADD || failure.call == LRX_CALL_CHECK_REPLAY) {
        if (code >= LRX_READING_HEADER && code <= LRX_READING_RECORD_SIZE) {
            return failure.path + ": not a replay lrx can pack: " + fUwu(code);
        }
        return failure.path + ": " + fUwu(code);
    }
    const std::string subject = failure.path.empty() ? std::string() : failure.path + ": ";
    if (IsCodecWritingCode(code) && failure.systemError) {
        return ShownDestination(failure) + ": cannot write replay: " + Reason(failure);
    }
    if (failure.entry.empty()) return subject + "damaged data: " + fUwu(code);
    return subject + PrintableName(failure.entry) + ": damaged entry: " + fUwu(code);
}

}  // namespace

std::string DescribeFailure(const Failure& failure) {
    const std::string& path = failure.path;
    const int code = failure.code;
    switch (code) {
        case LRX_OK:
        case LRX_REMOVED_EMPTY_ARCHIVE:
            return path.empty() ? fUwu(code) : path + ": " + fUwu(code);
        case LRX_READING_FILE_HEADER:
        case LRX_READING_FILE_INFO:
        case LRX_VERSION_MISMATCH:
        case LRX_OPENING_ARCHIVE:
            return ArchiveProblem(failure);
        case LRX_CREATING_TEMP_FILE:
            // The add began with no archive and another program created one
            // before it finished: that one is kept.
            if (failure.call == LRX_CALL_ADD && failure.systemError == EEXIST) {
                return path + ": appeared while this add ran and was kept; nothing added, " +
                       "run it again";
            }
            if (failure.detail == LRX_PATH_LINKED) {
                return path +
                       ": has other names (hard links), which a new archive in its "
                       "place would part from it; not changed";
            }
            return path + ": cannot write the new archive: " + Reason(failure);
        case LRX_WRITING_FILE_INFO:
            return path + ": cannot write the new archive: " + Reason(failure);
        case LRX_ARCHIVE_TOO_LARGE:
            return path + ": would grow past 2 GiB, the most an archive can hold; nothing " +
                   "added";
        case LRX_REMOVING_EMPTY_ARCHIVE:
            return path + ": cannot remove the emptied archive: " + Reason(failure);
        case LRX_OPENING_REPLAY: {
            // A name without an extension is read with ".rpl" added.
            const std::string read = ReplayFilePath(path);
            const std::string added =
                read == path ? "" : read + " (.rpl is added to a name without one): ";
            if (failure.detail == LRX_PATH_FOLDER) {
                return path + ": " + added + "is a folder, not a replay";
            }
            const std::string problem = NonFileProblem(failure.detail);
            return path + ": cannot open replay: " + added +
                   (problem.empty() ? Reason(failure) : problem);
        }
        case LRX_DELETING_MOVED_REPLAY:
            return path + ": stored, but cannot remove the replay: " + Reason(failure);
        case LRX_REPLAY_NAME_TOO_LONG:
            return path + ": " + fUwu(code) + " (" + std::to_string(EntryNameOf(path).size()) +
                   " bytes, at most " + std::to_string(kMaxEntryNameLength) + ")";
        case LRX_REPLAY_NAME_NOT_ALLOWED:
            if (failure.call == LRX_CALL_ADD) {
                return path + ": the name " + PrintableName(EntryNameOf(path)) +
                       " is not allowed in an archive" + kNameRule;
            }
            if (failure.call == LRX_CALL_READ) {
                return path + ": no entry named " + PrintableName(failure.entry);
            }
            return path + ": " + PrintableName(failure.entry) +
                   ": stored name not allowed as a file name; not extracted";
        case LRX_CREATING_REPLAY_FILE: {
            std::string problem = NonFileProblem(failure.detail);
            if (failure.detail == LRX_PATH_DANGLING_LINK) {
                problem = "a symbolic link to a missing file is in the way";
            }
            return ShownDestination(failure) +
                   ": cannot create replay: " + (problem.empty() ? Reason(failure) : problem);
        }
        case LRX_ABORTED:
            return path + (failure.call == LRX_CALL_ADD || failure.call == LRX_CALL_DELETE
                               ? ": stopped; the archive is as it was"
                               : ": stopped");
        case LRX_NOT_EXACT:
            return path + ": would not come back byte for byte" +
                   (failure.call == LRX_CALL_ADD ? "; not added" : "");
        case LRX_DAMAGED_ENTRY:
            return path + ": " + PrintableName(failure.entry) + ": damaged entry";
        case LRX_QUERY_REQUIRES_INSTANCE:
            return path + ": " + fUwu(code) + ": no way to ask before overwriting";
        default:
            break;
    }
    if (code >= LRX_READING_HEADER && code <= LRX_WRITING_RECORD_SIZE) return CodecProblem(failure);
    return (path.empty() ? std::string() : path + ": ") + fUwu(code);
}

}  // namespace lrx
