/*
 * lrxpack - the replay archive engine.
 *
 * An archive (*.lrx) holds packed replays (*.rpl). Each entry is the packed
 * replay followed by a 32-byte directory record; the directory is rebuilt by
 * walking the file back from its end. The engine lists, adds (or updates),
 * deletes and extracts entries, and never changes an archive in place: a new
 * archive is written next to the old one and then replaces it.
 *
 * Use: list an archive with wG4h, read the nodes, free them with AGGa. Add
 * with sJTU, delete with zTOR, extract with MFqc, then call wG4h again on the
 * same head pointer to refresh. Every function returns a result code whose
 * text fUwu gives; nothing throws. Bad input (missing files, short or damaged
 * archives, foreign versions) gets a result code, never a crash.
 *
 * Long operations report to a window the caller passes (or null for none):
 * texts go into its edit control LRX_MAILBOX_ID, and the caller writes "999"
 * there to abort, or 800/801/802 to answer an overwrite question ("998PATH").
 * On Linux the window is a tiny in-process stand-in, see lrxwindow.h.
 *
 * The engine serves one operation at a time per process and is not
 * re-entrant: a window must not call back into it while handling a report.
 */
#ifndef LRXPACK_H
#define LRXPACK_H

#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#else
#include "lrxwindow.h"
#endif

#if defined(_WIN32) && (defined(LRXPACK_BUILDING) || defined(LRXPACK_STATIC))
#define LRXPACK_API
#elif defined(_WIN32)
#define LRXPACK_API __declspec(dllimport)
#else
#define LRXPACK_API __attribute__((visibility("default")))
#endif

/* Edit control of the caller's window through which reports pass. */
#define LRX_MAILBOX_ID 4191

/* Archive format version written and accepted by add, delete and extract. */
#define LRX_FORMAT_VERSION 100

#pragma pack(push, 1)
/* The directory record stored after each entry's packed data. */
typedef struct TFileInfo {
    char name[14];      /* lower case, NUL-terminated, at most 13 characters */
    int32_t rawSize;    /* replay length in bytes */
    int32_t packedSize; /* packed bytes in front of this record */
    uint16_t year;      /* local time the entry was written */
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
} TFileInfo;
#pragma pack(pop)

/* One node of an archive's directory list, in file order. */
typedef struct TFileInfoList {
    TFileInfo* info;            /* the node's own copy of the record */
    int32_t offset;             /* file position of the entry's packed data */
    struct TFileInfoList* next; /* null at the end */
} TFileInfoList;

/* Result codes; fUwu(code) gives each one's text. */
enum LrxResult {
    LRX_OK = 0,
    LRX_READING_HEADER = 1,
    LRX_WRITING_HEADER = 2,
    LRX_READING_DRIVER_LIST = 3,
    LRX_WRITING_DRIVER_LIST = 4,
    LRX_READING_POSITION_DATA = 5,
    LRX_WRITING_POSITION_DATA = 6,
    LRX_READING_A1 = 7,
    LRX_WRITING_A1 = 8,
    LRX_READING_A2 = 9,
    LRX_WRITING_A2 = 10,
    LRX_READING_A3 = 11,
    LRX_WRITING_A3 = 12,
    LRX_READING_RECORD_SIZE = 13,
    LRX_READING_FILE_HEADER = 14,
    LRX_READING_FILE_INFO = 15,
    LRX_VERSION_MISMATCH = 16,
    LRX_OPENING_ARCHIVE = 17,
    LRX_CREATING_TEMP_FILE = 18,
    LRX_CREATING_REPLAY_FILE = 19,
    LRX_DELETING_MOVED_REPLAY = 20,
    LRX_OPENING_REPLAY = 21,
    LRX_WRITING_FILE_INFO = 22,
    LRX_ABORTED = 23,
    LRX_REMOVING_EMPTY_ARCHIVE = 24,
    LRX_REMOVED_EMPTY_ARCHIVE = 25, /* success, shown as information */
    LRX_QUERY_REQUIRES_INSTANCE = 26,
    LRX_WRITING_RECORD_SIZE = 27,
    LRX_REPLAY_NAME_TOO_LONG = 28,    /* the entry name would not fit the record */
    LRX_REPLAY_NAME_NOT_ALLOWED = 29, /* not a plain file name: add and extract refuse it */
    LRX_ARCHIVE_TOO_LARGE = 30,       /* the new archive would pass 2 GiB */
    LRX_LAST_RESULT = 30
};

#ifdef __cplusplus
static_assert(sizeof(TFileInfo) == 32, "TFileInfo is the 32-byte on-disk record");

extern "C" {

/* The archive format version this engine writes: 100. */
LRXPACK_API int N3Sf();

/* Reads the first 32-bit word of a file (an archive's version) into value.
 * 0; 14 when the file is shorter than 4 bytes (value set to 0); 15 when it
 * cannot be opened (value untouched). Where long is 64 bits the word arrives
 * sign-extended. */
LRXPACK_API int ttzS(char* path, long& value);

/* The constant text of a result code; codes outside the table give
 * "Unknown error". */
LRXPACK_API const char* fUwu(int code);

/* Frees a directory list and sets the head to null; an empty list is fine. */
LRXPACK_API void AGGa(TFileInfoList** head);

/* Lists an archive into *head, first entry first, freeing any list already
 * there. 0; 14 short header; 15 cannot open (or no file: a FIFO, device), or
 * a record is unreadable or damaged (a damaged record frees the list); 16
 * version above 100. */
LRXPACK_API int wG4h(TFileInfoList** head, char* archive);

/* Adds a replay, or replaces the entry of the same name (ignoring case) in
 * its place. The archive is created when missing; one that exists but cannot
 * be read, or is no file (a folder, FIFO, device), gives 14; a read-only one,
 * or one with other names (hard links, which a replacement would part from
 * it), 18, as does any write that fails (a full disk); one whose entries do
 * not cover it from its header to its end 15 (a rewrite would lose the bytes
 * no entry holds). Through a symbolic link the file it leads to is replaced
 * and the link stays. The new archive is written beside the old one and
 * replaces it in one step, keeping its mode: on any failure or abort the
 * archive is as it was. An archive may not grow past 2 GiB (INT32_MAX bytes:
 * positions in the format are signed 32-bit): such an add gives 30 and
 * changes nothing. The entry name is what follows the replay path's last
 * folder separator (on Windows a backslash, a slash or a drive colon;
 * elsewhere a slash only). A name extraction would refuse (a colon, a
 * backslash, control characters, on Windows a device name or a trailing dot
 * or space) gives 29. moveReplay removes the replay file after a success (20
 * when that fails, with the archive already updated). Codes: 0, 14, 15, 16,
 * 18, 20, 21, 23, 28, 29, 30 or a codec code for reading the replay. */
LRXPACK_API int sJTU(char* archive, char* replay, HWND window, bool moveReplay);

/* Deletes every entry whose name is one of names (ignoring case); unknown
 * names are ignored. An archive left empty is removed (25, a success; 24 when
 * removing failed). 17 when the archive is missing, 14 when it exists but
 * cannot be read, 18 when it is read-only or has other names, 15 when its
 * entries do not cover it, as for sJTU; links are followed as there. Codes:
 * 0, 14, 15, 16, 17, 18, 24, 25. */
LRXPACK_API int zTOR(char* archive, int count, char** names);

/* Extracts every entry (everyEntry) or the first entry of each name into
 * destinationFolder, which ends with a path separator. overwriteMode for
 * existing non-empty files (found without opening them, so one the user
 * cannot read exists too): 1 skip, 2 overwrite, 3 ask the window ("998PATH",
 * answered 800 yes, 801 no, 802 always, which sets the mode to 2; 999 or a
 * window that no longer exists ends the call with 23); any other mode
 * overwrites. Each entry is decoded into a temporary file first, so a failure
 * leaves any existing destination as it was. Stored names that are not plain
 * file names are refused with 29; read-only destinations and destinations
 * that are no file (a folder, FIFO, socket, device) with 19. 17 when the
 * archive is missing, 14 when it exists but cannot be read. Codes: 0, 14, 16,
 * 17, 19, 23, 26 (mode 3 without a window), 29 or a codec code. */
LRXPACK_API int MFqc(char* archive, char* destinationFolder, int& overwriteMode, HWND window,
                     bool everyEntry, int count, char** names);

}  // extern "C"
#endif

#endif
