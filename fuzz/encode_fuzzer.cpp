// The encoder on arbitrary replay bytes. It must refuse exactly what the model
// check calls refused, with the same code; whatever it accepts must decode to
// a replay of the same length; a replay that follows the model must come back
// byte for byte, and any other comes back in a form that packs again.
#include <algorithm>
#include <cstdint>

#include "codec.h"
#include "fuzz_support.h"
#include "lrxpack.h"
#include "model_check.h"

using namespace lrx;

namespace {

fuzz::Bytes Encode(const uint8_t* data, size_t size, int& result) {
    codec::MemorySource replay(data, size);
    fuzz::Bytes bytes;
    codec::VectorSink packed(bytes);
    codec::CodecContext context;
    lrx::ProgressSink progress;
    int64_t packedSize = -1;
    result = codec::EncodeReplay(context, replay, packed, progress, packedSize);
    if (result == LRX_OK) {
        fuzz::Check(packedSize == static_cast<int64_t>(bytes.size()),
                    "packed size differs from the bytes written");
        fuzz::Check(bytes.size() % 4 == 0, "packed data is not whole words");
    }
    return bytes;
}

// Into memory of exactly the raw size, as lrx_unpack decodes: in place.
fuzz::Bytes Decode(const fuzz::Bytes& packed, size_t rawSize) {
    codec::MemorySource input(packed.data(), packed.size());
    fuzz::Bytes bytes(rawSize);
    codec::SpanSink replay(bytes);
    codec::CodecContext context;
    lrx::ProgressSink progress;
    const int result =
        codec::DecodeReplay(context, input, replay, static_cast<int32_t>(rawSize), progress);
    fuzz::Check(result == LRX_OK, "an accepted replay does not decode");
    bytes.resize(replay.used());
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int result;
    const fuzz::Bytes packed = Encode(data, size, result);
    const codec::ModelCheck check = codec::CheckReplayModel(data, size);
    const bool refused = check.problem == codec::ModelBreak::Refused;
    fuzz::Check(refused == (result != LRX_OK), "encoder and model check disagree on refusal");
    if (refused) {
        fuzz::Check(result == check.refusal, "encoder and model check refuse with other codes");
        return 0;
    }

    const fuzz::Bytes decoded = Decode(packed, size);
    fuzz::Check(decoded.size() == size, "decoded replay has another length");
    if (check.FollowsModel()) {
        fuzz::Check(std::equal(decoded.begin(), decoded.end(), data),
                    "a replay that follows the model came back changed");
        return 0;
    }
    // What the decoder rebuilds must pack again. It need not pack to itself:
    // in a frame out of key order, flag bits stay with positions, so with slot
    // base 0 the car of slot 0 can come back as status 1, an empty position.
    int again;
    const fuzz::Bytes repacked = Encode(decoded.data(), decoded.size(), again);
    fuzz::Check(again == LRX_OK, "the encoder refuses what the decoder wrote");
    fuzz::Check(Decode(repacked, decoded.size()).size() == size,
                "the decoder's output comes back with another length");
    return 0;
}
