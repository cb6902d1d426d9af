// The public C API: each call builds its own operation context over the
// program's callbacks, runs the operation and hands back its failure record.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "archive_ops.h"
#include "callback_sink.h"
#include "entry_check.h"
#include "entry_name.h"
#include "entry_reading.h"
#include "exception_barrier.h"
#include "failure_message.h"
#include "lrxpack_api.h"
#include "parallel_each.h"
#include "replay_batch.h"
#include "replay_check.h"

namespace lrx {
namespace {

void CopyText(char* to, std::size_t size, const std::string& text) {
    const std::size_t length = text.size() < size ? text.size() : size - 1;
    std::memcpy(to, text.data(), length);
    to[length] = '\0';
}

Failure FromPublic(const lrx_failure& failure) {
    Failure record;
    record.code = failure.code;
    record.systemError = failure.system_error;
    record.path.assign(failure.path, strnlen(failure.path, sizeof failure.path));
    record.entry.assign(failure.entry, strnlen(failure.entry, sizeof failure.entry));
    record.call = failure.call;
    record.detail = failure.detail;
    return record;
}

// Hands the record out, the returned code in it whatever was recorded.
int Finish(OperationContext& ctx, int result, const std::string& path, lrx_failure* failure) {
    if (result != LRX_OK) {
        ctx.Fail(result, 0, path);
        ctx.failure.code = result;
    }
    if (!failure) return result;
    std::memset(failure, 0, sizeof *failure);
    failure->call = ctx.failure.call;
    if (result == LRX_OK) return result;
    failure->code = ctx.failure.code;
    failure->system_error = ctx.failure.systemError;
    failure->detail = ctx.failure.detail;
    CopyText(failure->path, sizeof failure->path, ctx.failure.path);
    CopyText(failure->entry, sizeof failure->entry, ctx.failure.entry);
    return result;
}

// The whole call behind the exception barrier: what is thrown ends it with
// code, the record naming the reason (memory or threads running out).
template <typename Body>
int Guarded(lrx_failure* failure, int call, int code, const char* path, Body&& body) noexcept {
    constexpr int kThrown = -1;
    const int result = ThrowsNothing(kThrown, body);
    if (result != kThrown) return result;
    const int error = errno;
    if (failure) {
        std::memset(failure, 0, sizeof *failure);
        failure->code = code;
        failure->system_error = error;
        failure->call = call;
        CopyText(failure->path, sizeof failure->path, path ? path : "");
    }
    return code;
}

unsigned JobsOrProcessors(unsigned jobs) {
    if (jobs > 0) return jobs;
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 0 ? processors : 1;
}

lrx_entry PublicEntry(const TFileInfo& info) {
    lrx_entry entry{};
    std::memcpy(entry.name, info.name, sizeof entry.name);
    entry.name[sizeof entry.name - 1] = '\0';
    entry.raw_size = info.rawSize;
    entry.packed_size = info.packedSize;
    entry.year = info.year;
    entry.month = info.month;
    entry.day = info.day;
    entry.hour = info.hour;
    entry.minute = info.minute;
    return entry;
}

template <typename T>
T* Allocate(std::size_t count) {
    return count == 0 ? nullptr : static_cast<T*>(std::calloc(count, sizeof(T)));
}

// Hands bytes to the caller in memory it frees with lrx_free (none for no
// bytes); false when there is no memory to be had.
bool HandOut(const std::vector<unsigned char>& bytes, unsigned char** out, std::size_t* size) {
    if (bytes.empty()) return true;
    unsigned char* copy = Allocate<unsigned char>(bytes.size());
    if (!copy) return false;
    std::memcpy(copy, bytes.data(), bytes.size());
    *out = copy;
    if (size) *size = bytes.size();
    return true;
}

}  // namespace
}  // namespace lrx

using namespace lrx;

extern "C" const char* lrx_version(void) {
    return LRXPACK_VERSION_STRING;
}

extern "C" int lrx_version_number(void) {
    return LRXPACK_VERSION_NUMBER;
}

extern "C" void lrx_free(void* memory) {
    std::free(memory);
}

extern "C" size_t lrx_failure_message(const lrx_failure* failure, char* text, size_t size) {
    std::size_t length = 0;
    // Out of memory for the message: an empty one.
    if (text && size > 0) text[0] = '\0';
    ThrowsNothing(0, [&] {
        const std::string message = failure ? DescribeFailure(FromPublic(*failure)) : std::string();
        if (text && size > 0) CopyText(text, size, message);
        length = message.size();
        return 0;
    });
    return length;
}

extern "C" int lrx_list(const char* archive, lrx_entry** entries, size_t* count,
                        lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_LIST, LRX_READING_FILE_INFO, archive, [&] {
        ProgressSink none;
        OperationContext ctx(none, LRX_CALL_LIST);
        if (entries) *entries = nullptr;
        if (count) *count = 0;
        if (!archive || !entries || !count) return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        OwnedListing listing;
        if (const int result = ListArchive(archive, listing, ctx.failure); result != LRX_OK) {
            return Finish(ctx, result, archive, failure);
        }
        std::size_t n = 0;
        for (const TFileInfoList* node = listing.head; node; node = node->next) ++n;
        lrx_entry* list = Allocate<lrx_entry>(n);
        if (n > 0 && !list)
            return Finish(ctx, ctx.Fail(LRX_READING_FILE_INFO, ENOMEM, archive), archive, failure);
        std::size_t i = 0;
        for (const TFileInfoList* node = listing.head; node; node = node->next) {
            list[i++] = PublicEntry(*node->info);
        }
        *entries = list;
        *count = n;
        return Finish(ctx, LRX_OK, archive, failure);
    });
}

extern "C" int lrx_add(const char* archive, const char* const* replays, size_t count,
                       const lrx_add_options* options, const lrx_callbacks* callbacks,
                       lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_ADD, LRX_CREATING_TEMP_FILE, archive, [&] {
        CallbackSink sink(callbacks);
        OperationContext ctx(sink, LRX_CALL_ADD);
        if (!archive || (count > 0 && !replays))
            return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        const lrx_add_options defaults{};
        const lrx_add_options& chosen = options ? *options : defaults;
        std::vector<ReplayToAdd> batch;
        for (std::size_t i = 0; i < count; ++i) {
            if (!replays[i])
                return Finish(ctx, ctx.Fail(LRX_OPENING_REPLAY, EINVAL, ""), "", failure);
            batch.push_back({replays[i], chosen.move != 0});
        }
        // A replay that would not come back byte for byte is refused when strict,
        // and otherwise kept despite a move: it would be the only exact copy.
        if (chosen.strict || chosen.move) {
            std::vector<int> checks(batch.size());
            ForEachOnThreads(batch.size(), JobsOrProcessors(chosen.jobs), [&](std::size_t i) {
                // A replay add refuses is reported by the add itself.
                Failure ignored;
                checks[i] = CheckReplayComesBack(batch[i].path, ignored);
            });
            for (std::size_t i = 0; i < batch.size(); ++i) {
                if (checks[i] != LRX_NOT_EXACT) continue;
                if (chosen.strict) {
                    return Finish(ctx, ctx.Fail(LRX_NOT_EXACT, 0, batch[i].path, {}, i), archive,
                                  failure);
                }
                batch[i].move = false;
            }
        }
        const int result = AddReplays(ctx, archive, batch, JobsOrProcessors(chosen.jobs));
        return Finish(ctx, result, archive, failure);
    });
}

extern "C" int lrx_check_replay(const char* replay, lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_ADD, LRX_OPENING_REPLAY, replay, [&] {
        ProgressSink none;
        OperationContext ctx(none, LRX_CALL_CHECK_REPLAY);
        if (!replay) return Finish(ctx, ctx.Fail(LRX_OPENING_REPLAY, EINVAL, ""), "", failure);
        const int result = CheckReplayComesBack(replay, ctx.failure);
        return Finish(ctx, result, replay, failure);
    });
}

extern "C" int lrx_delete(const char* archive, const char* const* names, size_t count,
                          const lrx_callbacks* callbacks, lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_DELETE, LRX_CREATING_TEMP_FILE, archive, [&] {
        CallbackSink sink(callbacks);
        OperationContext ctx(sink, LRX_CALL_DELETE);
        if (!archive || (count > 0 && !names) || count > INT32_MAX) {
            return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        }
        std::vector<char*> list;
        for (std::size_t i = 0; i < count; ++i) list.push_back(const_cast<char*>(names[i]));
        const int result = DeleteEntries(ctx, archive, static_cast<int>(count), list.data(), true);
        return Finish(ctx, result, archive, failure);
    });
}

extern "C" int lrx_extract(const char* archive, const char* destination, const char* const* names,
                           size_t count, const lrx_extract_options* options,
                           const lrx_callbacks* callbacks, lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_EXTRACT, LRX_CREATING_REPLAY_FILE, archive, [&] {
        CallbackSink sink(callbacks);
        OperationContext ctx(sink, LRX_CALL_EXTRACT);
        if (!archive || !destination || (count > 0 && !names) || count > INT32_MAX) {
            return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        }
        const lrx_extract_options defaults{0, LRX_OVERWRITE_SKIP};
        const lrx_extract_options& chosen = options ? *options : defaults;
        int mode = chosen.overwrite;
        if (mode < LRX_OVERWRITE_SKIP || mode > LRX_OVERWRITE_ASK) mode = LRX_OVERWRITE_SKIP;
        std::string folder = destination;
#ifdef _WIN32
        const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
        if (!folder.empty() && !separated && folder.back() != ':') folder += '\\';
#else
        if (!folder.empty() && folder.back() != '/') folder += '/';
#endif
        std::vector<char*> list;
        for (std::size_t i = 0; i < count; ++i) list.push_back(const_cast<char*>(names[i]));
        list.push_back(nullptr);
        const int result =
            ExtractEntries(ctx, archive, folder, mode, count == 0, static_cast<int>(count),
                           list.data(), JobsOrProcessors(chosen.jobs));
        return Finish(ctx, result, archive, failure);
    });
}

extern "C" int lrx_read(const char* archive, const char* name, unsigned char** replay, size_t* size,
                        lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_READ, LRX_WRITING_POSITION_DATA, archive, [&] {
        ProgressSink none;
        OperationContext ctx(none, LRX_CALL_READ);
        if (replay) *replay = nullptr;
        if (size) *size = 0;
        if (!archive || !name || !replay || !size) {
            return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        }
        std::vector<unsigned char> bytes;
        const int result = ReadEntry(ctx, archive, name, bytes);
        if (result == LRX_OK && !HandOut(bytes, replay, size)) {
            return Finish(ctx, ctx.Fail(LRX_WRITING_POSITION_DATA, ENOMEM, archive, name), archive,
                          failure);
        }
        return Finish(ctx, result, archive, failure);
    });
}

namespace {
int ReadTo(const char* archive, const char* name, lrx_write_function write, void* writer,
           const lrx_callbacks* callbacks, lrx_failure* failure, Handing handing) {
    return Guarded(failure, LRX_CALL_READ, LRX_WRITING_POSITION_DATA, archive, [&] {
        CallbackSink sink(callbacks);
        OperationContext ctx(sink, LRX_CALL_READ);
        if (!archive || !name || !write) return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        const int result = ReadEntryTo(
            ctx, archive, name,
            [&](const unsigned char* bytes, std::size_t size) {
                return write(writer, bytes, size);
            },
            handing);
        return Finish(ctx, result, archive, failure);
    });
}
}  // namespace

extern "C" int lrx_read_to(const char* archive, const char* name, lrx_write_function write,
                           void* writer, const lrx_callbacks* callbacks, lrx_failure* failure) {
    return ReadTo(archive, name, write, writer, callbacks, failure, Handing::WholeFirst);
}

extern "C" int lrx_read_stream(const char* archive, const char* name, lrx_write_function write,
                               void* writer, const lrx_callbacks* callbacks, lrx_failure* failure) {
    return ReadTo(archive, name, write, writer, callbacks, failure, Handing::AsDecoded);
}

extern "C" int lrx_test(const char* archive, lrx_test_entry** report, size_t* count,
                        const lrx_callbacks* callbacks, lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_TEST, LRX_READING_FILE_INFO, archive, [&] {
        CallbackSink sink(callbacks);
        OperationContext ctx(sink, LRX_CALL_TEST);
        if (report) *report = nullptr;
        if (count) *count = 0;
        if (!archive || !report || !count) return Finish(ctx, LRX_OPENING_ARCHIVE, "", failure);
        std::vector<TestedEntry> tested;
        const int result = TestArchive(ctx, archive, tested);
        if (result != LRX_OK) return Finish(ctx, result, archive, failure);
        lrx_test_entry* verdicts = Allocate<lrx_test_entry>(tested.size());
        if (!tested.empty() && !verdicts) {
            return Finish(ctx, ctx.Fail(LRX_READING_FILE_INFO, ENOMEM, archive), archive, failure);
        }
        for (std::size_t i = 0; i < tested.size(); ++i) {
            verdicts[i].entry = PublicEntry(tested[i].info);
            verdicts[i].code = tested[i].verdict.code;
            CopyText(verdicts[i].problem, sizeof verdicts[i].problem, tested[i].verdict.problem);
        }
        *report = verdicts;
        *count = tested.size();
        return Finish(ctx, LRX_OK, archive, failure);
    });
}

extern "C" int lrx_pack(const unsigned char* replay, size_t size, unsigned char** packed,
                        size_t* packed_size, lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_PACK, LRX_WRITING_POSITION_DATA, nullptr, [&] {
        ProgressSink none;
        OperationContext ctx(none, LRX_CALL_PACK);
        if (packed) *packed = nullptr;
        if (packed_size) *packed_size = 0;
        if ((size > 0 && !replay) || !packed || !packed_size) {
            return Finish(ctx, LRX_READING_HEADER, "", failure);
        }
        std::vector<unsigned char> bytes;
        const int result = PackInMemory(ctx, replay, size, bytes);
        if (result == LRX_OK && !HandOut(bytes, packed, packed_size)) {
            return Finish(ctx, ctx.Fail(LRX_WRITING_POSITION_DATA, ENOMEM, ""), "", failure);
        }
        return Finish(ctx, result, "", failure);
    });
}

extern "C" int lrx_unpack(const unsigned char* packed, size_t packed_size, size_t raw_size,
                          unsigned char** replay, lrx_failure* failure) {
    return Guarded(failure, LRX_CALL_UNPACK, LRX_WRITING_POSITION_DATA, nullptr, [&] {
        ProgressSink none;
        OperationContext ctx(none, LRX_CALL_UNPACK);
        if (replay) *replay = nullptr;
        if ((packed_size > 0 && !packed) || !replay)
            return Finish(ctx, LRX_READING_HEADER, "", failure);
        // The record holds a signed 32-bit size.
        if (raw_size > INT32_MAX)
            return Finish(ctx, ctx.Fail(LRX_READING_HEADER, 0, ""), "", failure);
        // Decoded straight into the memory handed out.
        std::unique_ptr<unsigned char, decltype(&std::free)> bytes(
            Allocate<unsigned char>(raw_size), &std::free);
        if (raw_size > 0 && !bytes) {
            return Finish(ctx, ctx.Fail(LRX_WRITING_POSITION_DATA, ENOMEM, ""), "", failure);
        }
        const int result =
            UnpackInMemory(ctx, packed, packed_size, std::span(bytes.get(), raw_size));
        if (result == LRX_OK) *replay = bytes.release();
        return Finish(ctx, result, "", failure);
    });
}
