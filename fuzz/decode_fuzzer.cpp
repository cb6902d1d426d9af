// The decoder on arbitrary packed bytes. The first four bytes are the entry's
// rawSize (little-endian, as in a directory record), the rest its packed data.
// Whatever the bytes, the decoder must stay in its buffers, write at most
// rawSize bytes, and write exactly rawSize bytes when it reports success; the
// model verdict it makes on the way must be the model check's of what it
// wrote.
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

    codec::MemorySource packed(data + 4, size - 4);
    fuzz::Bytes written;
    codec::VectorSink replay(written);
    codec::CodecContext context;
    lrx::ProgressSink progress;
    codec::DecodeCheck check;
    const int result = codec::DecodeReplay(context, packed, replay, rawSize, progress, &check);

    fuzz::Check(result >= LRX_OK && result <= LRX_LAST_RESULT && result != LRX_ABORTED,
                "decoder returned a code it does not have");
    fuzz::Check(rawSize > 0 || written.empty(), "decoder wrote for a size of 0 or less");
    fuzz::Check(written.size() <= static_cast<std::size_t>(rawSize < 0 ? 0 : rawSize),
                "decoder wrote more than rawSize bytes");
    fuzz::Check(result != LRX_OK || written.size() == static_cast<std::size_t>(rawSize),
                "decoder reported success short of rawSize");
    if (result == LRX_OK) {
        const codec::ModelCheck model = codec::CheckReplayModel(written.data(), written.size());
        fuzz::Check(model.problem == check.model.problem && model.refusal == check.model.refusal &&
                        model.frame == check.model.frame,
                    "decoder's model verdict differs from the check of its replay");
        fuzz::Check(check.packedBitsUsed <= int64_t{8} * static_cast<int64_t>(size - 4),
                    "decoder used more bits than it was given");
    }
    return 0;
}
