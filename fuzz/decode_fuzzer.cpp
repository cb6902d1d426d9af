// The decoder on arbitrary packed bytes. The first four bytes are the entry's
// rawSize (little-endian, as in a directory record), the rest its packed data.
// Whatever the bytes, the decoder must stay in its buffers, write at most
// rawSize bytes, and write exactly rawSize bytes when it reports success.
#include <cstdint>

#include "byte_order.h"
#include "codec.h"
#include "fuzz_support.h"
#include "lrxpack.h"

using namespace lrx;

namespace {
// Large enough for thousands of frames, small enough to keep runs fast.
constexpr int32_t kMaxRawSize = 1 << 22;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    int32_t rawSize = static_cast<int32_t>(LoadU32(data));
    // Negative sizes stay: a damaged record can hold one.
    if (rawSize > kMaxRawSize) rawSize %= kMaxRawSize + 1;

    fuzz::MemoryInput packed(data + 4, size - 4);
    fuzz::MemoryOutput replay;
    codec::CodecContext context;
    lrx::ProgressSink progress;
    const int result = codec::DecodeReplay(context, packed.get(), replay.get(), rawSize, progress);
    const fuzz::Bytes written = replay.Contents();

    fuzz::Check(result >= LRX_OK && result <= LRX_LAST_RESULT && result != LRX_ABORTED,
                "decoder returned a code it does not have");
    fuzz::Check(rawSize > 0 || written.empty(), "decoder wrote for a size of 0 or less");
    fuzz::Check(written.size() <= static_cast<std::size_t>(rawSize < 0 ? 0 : rawSize),
                "decoder wrote more than rawSize bytes");
    fuzz::Check(result != LRX_OK || written.size() == static_cast<std::size_t>(rawSize),
                "decoder reported success short of rawSize");
    return 0;
}
