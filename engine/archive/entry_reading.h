// One entry into memory, and one replay through the codec in memory: what a
// program, a fuzzer or a benchmark needs without files of its own.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "operation_context.h"

namespace lrx {

// Decodes the entry of this name (ignoring case) into replay: 0, 17, 14,
// 16, 15, a codec code, or 29 when no entry has the name.
int ReadEntry(OperationContext& ctx, const std::string& archive, const std::string& name,
              std::vector<unsigned char>& replay);

// Takes the next bytes of a replay: 0, or the system's error number.
using EntryWriter = std::function<int(const unsigned char* bytes, std::size_t size)>;

// When the pieces are handed on: once the entry decoded whole (nothing of a
// damaged entry reaches the writer), or as they are decoded (a damaged entry
// hands on its start before the failure).
enum class Handing { WholeFirst, AsDecoded };

// ReadEntry handing the replay to write in pieces; a failed write is 6
// with the writer's error number, about the entry and no file.
int ReadEntryTo(OperationContext& ctx, const std::string& archive, const std::string& name,
                const EntryWriter& write, Handing handing);

// The replay packed as add stores it: 0 or a codec code.
int PackInMemory(OperationContext& ctx, const unsigned char* replay, std::size_t size,
                 std::vector<unsigned char>& packed);

// Packed data back into the replay that fills replay exactly (at most
// INT32_MAX bytes): 0 or a codec code.
int UnpackInMemory(OperationContext& ctx, const unsigned char* packed, std::size_t packedSize,
                   std::span<unsigned char> replay);

}  // namespace lrx
