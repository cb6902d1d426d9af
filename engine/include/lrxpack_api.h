/*
 * lrxpack_api - the replay archive engine for programs.
 *
 * The same engine as lrxpack.h, without a window: every call takes its own
 * options and callbacks and fills a failure record, so a program can run
 * operations on different archives at once on different threads, show
 * progress without a window, and tell the user which file failed and why.
 * The eight exports of lrxpack.h stay as they are, for hosts of the mailbox
 * protocol.
 *
 * Nothing is written to standard output or standard error: what happened
 * comes back in codes, records and callbacks.
 *
 * Safety: bad input (missing files, short or damaged archives, replays that
 * are not replays, foreign versions) gets a result code and a failure record,
 * never a crash. An archive is never changed in place: add and delete write a
 * new archive beside it and put it in its place in one step, so a failure or a
 * cancel leaves the archive as it was. Extraction decodes into a temporary
 * file first, so an existing destination is replaced whole or not at all.
 * Two calls on the same archive at once are not safe (the later rewrite
 * wins); calls on different archives are.
 *
 * Memory the library hands out (entry lists, test reports, replay bytes) is
 * freed with lrx_free. Paths are the system's file names as bytes (on
 * Windows in the ANSI code page), as the eight exports take them.
 *
 * Result codes are those of enum LrxResult in lrxpack.h; fUwu gives the short
 * text of each, lrx_failure_message the whole message.
 */
#ifndef LRXPACK_API_H
#define LRXPACK_API_H

#include <stddef.h>
#include <stdint.h>

#include "lrxpack.h"

#define LRXPACK_VERSION_MAJOR 1
#define LRXPACK_VERSION_MINOR 2
#define LRXPACK_VERSION_PATCH 0
#define LRXPACK_VERSION_STRING "1.2.0"
/* MAJOR * 10000 + MINOR * 100 + PATCH, as lrx_version_number returns it. */
#define LRXPACK_VERSION_NUMBER 10200

#ifdef __cplusplus
extern "C" {
#endif

/* The library's version: "1.2.0", and 10200 for 1.2.0. A program built
 * against this header may check that the library it loaded is as new. */
LRXPACK_API const char* lrx_version(void);
LRXPACK_API int lrx_version_number(void);

/* Longest path a failure record keeps; a longer one is cut at a whole byte. */
#define LRX_FAILURE_PATH_SIZE 4096

/* The call a failure record comes from (lrx_failure.call). */
#define LRX_CALL_LIST 1
#define LRX_CALL_ADD 2
#define LRX_CALL_DELETE 3
#define LRX_CALL_EXTRACT 4
#define LRX_CALL_READ 5
#define LRX_CALL_TEST 6
#define LRX_CALL_PACK 7
#define LRX_CALL_UNPACK 8
#define LRX_CALL_CHECK_REPLAY 9

/* What stood at a failure's path when that was the failure (lrx_failure.detail). */
#define LRX_PATH_FOLDER 1
#define LRX_PATH_FIFO 2
#define LRX_PATH_SOCKET 3
#define LRX_PATH_DEVICE 4
#define LRX_PATH_DANGLING_LINK 5 /* a symbolic link that leads nowhere */
#define LRX_PATH_LINKED 6        /* a file with other names (hard links) */

/* What failed: the result code, the system's error number (errno) captured
 * where the failure happened, on whatever thread, 0 when the failure is not
 * the system's; the file it is about (the archive, a replay, a destination
 * file; none for lrx_pack and lrx_unpack), and the entry in hand, when there
 * is one (add names the replay in path and leaves entry empty). call is the
 * LRX_CALL_ that failed; detail is, for code 16, the version the archive
 * has, otherwise an LRX_PATH_ kind or 0. Every call clears it first. */
typedef struct lrx_failure {
    int code;
    int system_error;
    char path[LRX_FAILURE_PATH_SIZE];
    char entry[14];
    int call;
    int detail;
    int reserved[8]; /* 0; room for later versions without a new layout */
} lrx_failure;

/* The message lrx prints for a failure, without "lrx: " in front, such as
 * "race2.rpl: cannot open replay: No such file or directory". Writes at most
 * size bytes including the NUL; returns the message's whole length. */
LRXPACK_API size_t lrx_failure_message(const lrx_failure* failure, char* text, size_t size);

/* Codes of the C API beyond those of lrxpack.h. */
#define LRX_DAMAGED_ENTRY 66 /* lrx_test: decodes, but not as its record says */
#define LRX_NOT_EXACT 67     /* lrx_add strict: would not come back byte for byte */

/* Answers to the overwrite question. */
#define LRX_ANSWER_NO 0     /* keep this file, skip the entry */
#define LRX_ANSWER_YES 1    /* overwrite this file */
#define LRX_ANSWER_ALWAYS 2 /* overwrite this and every later file of the call */
#define LRX_ANSWER_CANCEL 3 /* stop the call (23) */

/* Callbacks of one call; any may be null. They run on the calling thread,
 * one at a time, and must not call back into the library.
 * progress: the entry in hand and how far it is: 0 when it is taken in
 *   hand, 100 once it is added or extracted into place; delete reports an
 *   empty entry. A nonzero return cancels the call, which then ends with 23
 *   and changes nothing (extraction keeps the entries already in place).
 * overwrite: an existing destination file, asked before it is replaced when
 *   the overwrite policy is LRX_OVERWRITE_ASK; returns an LRX_ANSWER_. */
typedef struct lrx_callbacks {
    void* user;
    int (*progress)(void* user, const char* entry, int percent);
    int (*overwrite)(void* user, const char* path);
} lrx_callbacks;

/* One entry of an archive, as its directory record holds it. */
typedef struct lrx_entry {
    char name[14]; /* lower case, NUL-terminated */
    int32_t raw_size;
    int32_t packed_size;
    uint16_t year, month, day, hour, minute; /* local time it was written */
} lrx_entry;

/* Frees memory the library handed out; null is fine. */
LRXPACK_API void lrx_free(void* memory);

/* Lists an archive: *entries receives count entries in archive order (null
 * when there are none), freed with lrx_free. Codes: 0, 14, 15, 16, 17. */
LRXPACK_API int lrx_list(const char* archive, lrx_entry** entries, size_t* count,
                         lrx_failure* failure);

typedef struct lrx_add_options {
    unsigned jobs; /* encoders at once; 0 for one per processor */
    int move;      /* remove each stored replay once the archive is in place */
    int strict;    /* refuse (67) a replay that would not come back byte for byte */
} lrx_add_options;

/* Adds replays (or updates the entries of their names) in one rewrite of the
 * archive, which is created when missing. A later replay of the same name
 * takes the place of an earlier one. The archive comes out the same for
 * every job count. Codes: those of sJTU, and 67 from strict. */
LRXPACK_API int lrx_add(const char* archive, const char* const* replays, size_t count,
                        const lrx_add_options* options, const lrx_callbacks* callbacks,
                        lrx_failure* failure);

/* Whether a replay would come back from an archive byte for byte: 0 when it
 * would, LRX_NOT_EXACT when add would store it but extraction would give
 * other bytes (add's strict option refuses it, and its move keeps it), or
 * the code add would refuse it with (21 when it cannot be opened, a codec
 * reading code). Reads the replay once, writing nothing. */
LRXPACK_API int lrx_check_replay(const char* replay, lrx_failure* failure);

/* Deletes the entries of these names (ignoring case); unknown names are
 * ignored, and an archive with none of the names is left as it is. Codes:
 * those of zTOR. */
LRXPACK_API int lrx_delete(const char* archive, const char* const* names, size_t count,
                           const lrx_callbacks* callbacks, lrx_failure* failure);

/* What extraction does with an existing non-empty destination file. */
#define LRX_OVERWRITE_SKIP 1
#define LRX_OVERWRITE_ALWAYS 2
#define LRX_OVERWRITE_ASK 3 /* the overwrite callback answers (26 without one) */

typedef struct lrx_extract_options {
    unsigned jobs; /* decoders at once; 0 for one per processor */
    int overwrite; /* an LRX_OVERWRITE_ policy */
} lrx_extract_options;

/* Extracts the entries of these names (count 0: every entry) into the folder
 * destination, which need not end with a separator. Codes: those of MFqc. */
LRXPACK_API int lrx_extract(const char* archive, const char* destination, const char* const* names,
                            size_t count, const lrx_extract_options* options,
                            const lrx_callbacks* callbacks, lrx_failure* failure);

/* Decodes one entry (its name, ignoring case) into memory: *replay receives
 * size bytes, freed with lrx_free. Codes: 0, 14, 15, 16, 17, a codec code, or
 * 29 when no entry has the name. */
LRXPACK_API int lrx_read(const char* archive, const char* name, unsigned char** replay,
                         size_t* size, lrx_failure* failure);

/* Takes the next size bytes of a replay: 0 when all were taken, otherwise
 * the system's error number (errno) of the failed write. */
typedef int (*lrx_write_function)(void* writer, const unsigned char* bytes, size_t size);

/* lrx_read, handing the replay to write in pieces instead of into memory;
 * with the callbacks' progress and cancel (23), as extraction reports them.
 * Nothing is handed on before the entry decoded whole. A failed write gives
 * 6 with the writer's error number, the entry and no path. */
LRXPACK_API int lrx_read_to(const char* archive, const char* name, lrx_write_function write,
                            void* writer, const lrx_callbacks* callbacks, lrx_failure* failure);

/* lrx_read_to handing each piece on as soon as it is decoded, in blocks of up
 * to 256 KiB: no scratch file, and the first bytes come at once. A damaged
 * entry hands on its start before the call fails with the damage's code;
 * whoever cannot take a part of a replay reads with lrx_read_to. Since 1.2. */
LRXPACK_API int lrx_read_stream(const char* archive, const char* name, lrx_write_function write,
                                void* writer, const lrx_callbacks* callbacks, lrx_failure* failure);

/* One entry's verdict from lrx_test: code 0 when it decodes cleanly,
 * otherwise the code and what is wrong. */
typedef struct lrx_test_entry {
    lrx_entry entry;
    int code;
    char problem[128];
} lrx_test_entry;

/* Decodes every entry, writing nothing, and reports each one: *report
 * receives count verdicts, freed with lrx_free. The call's own code is 0 when
 * the archive could be listed and read, whatever the verdicts. Bytes after
 * the header that belong to no entry (a damaged data start, a cut file) come
 * first, as a verdict of code 66 named "(archive)" with sizes and date 0. */
LRXPACK_API int lrx_test(const char* archive, lrx_test_entry** report, size_t* count,
                         const lrx_callbacks* callbacks, lrx_failure* failure);

/* Packs one replay held in memory as add stores it: *packed receives
 * packed_size bytes, freed with lrx_free. Codes: 0 or a codec code for
 * reading the replay (1, 3, 5, 7, 9, 11, 13). */
LRXPACK_API int lrx_pack(const unsigned char* replay, size_t size, unsigned char** packed,
                         size_t* packed_size, lrx_failure* failure);

/* Unpacks packed data back into the replay of raw_size bytes it came from:
 * *replay receives raw_size bytes, freed with lrx_free. Damaged data gives a
 * codec code, never a crash. */
LRXPACK_API int lrx_unpack(const unsigned char* packed, size_t packed_size, size_t raw_size,
                           unsigned char** replay, lrx_failure* failure);

#ifdef __cplusplus
}
#endif

#endif
