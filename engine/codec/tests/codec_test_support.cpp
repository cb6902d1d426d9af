#include "codec_test_support.h"

#include <cstdio>

#include "codec.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "model_check.h"

namespace lrx::codec::test {

std::string Bits(uint32_t value, int count) {
    std::string bits;
    for (int i = count - 1; i >= 0; --i) bits.push_back(i < 32 && ((value >> i) & 1) ? '1' : '0');
    return bits;
}

Bytes PackBits(std::string_view bits) {
    Bytes bytes;
    uint32_t word = 0;
    int used = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        word = (word << 1) | (c == '1' ? 1u : 0u);
        if (++used == 32) {
            lrx::test::AppendU32(bytes, word);
            word = 0;
            used = 0;
        }
    }
    if (used > 0) lrx::test::AppendU32(bytes, word << (32 - used));
    return bytes;
}

Bytes Entry(uint8_t status, uint32_t orderKey, int16_t valueB, uint16_t valueC, uint8_t valueD) {
    Bytes bytes{status, static_cast<unsigned char>(orderKey),
                static_cast<unsigned char>(orderKey >> 8),
                static_cast<unsigned char>(orderKey >> 16)};
    lrx::test::AppendU16(bytes, static_cast<uint16_t>(valueB));
    lrx::test::AppendU16(bytes, valueC);
    bytes.push_back(valueD);
    return bytes;
}

Bytes EmptyEntry() {
    return {0x01, 0x00, 0x00, 0x00, 0x39, 0xD2, 0x00, 0x00, 0x00};
}

namespace {
void AppendBlock(Bytes& bytes, const std::vector<Bytes>& records) {
    bytes.push_back(static_cast<unsigned char>(records.size()));
    for (const Bytes& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
}
}  // namespace

Bytes FrameBytes(const Frame& frame) {
    Bytes bytes;
    for (const Bytes& e : frame.entries) bytes.insert(bytes.end(), e.begin(), e.end());
    AppendBlock(bytes, frame.a1);
    AppendBlock(bytes, frame.a2);
    AppendBlock(bytes, frame.a3);
    const uint32_t size = static_cast<uint32_t>(bytes.size() + 4);
    lrx::test::AppendU32(bytes,
                         frame.recordSize >= 0 ? static_cast<uint32_t>(frame.recordSize) : size);
    return bytes;
}

Bytes ReplayBytes(const Replay& replay) {
    Bytes frames;
    for (const Frame& f : replay.frames) {
        const Bytes bytes = FrameBytes(f);
        frames.insert(frames.end(), bytes.begin(), bytes.end());
    }
    Bytes bytes;
    lrx::test::AppendU32(bytes, replay.headerSize);
    lrx::test::AppendU32(bytes, replay.positionSize >= 0
                                    ? static_cast<uint32_t>(replay.positionSize)
                                    : static_cast<uint32_t>(frames.size()));
    lrx::test::AppendU32(bytes, replay.preambleWord);
    lrx::test::AppendU32(bytes, replay.slotCount);
    Bytes header(replay.headerSize, 0);
    if (header.size() > 4) header[4] = replay.slotBase == 0 ? 5 : 0;
    for (std::size_t i = 0; i < replay.driverList.size() && 32 + i < header.size(); ++i) {
        header[32 + i] = replay.driverList[i];
    }
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), frames.begin(), frames.end());
    return bytes;
}

CodecRun Encode(const Bytes& replay, ProgressSink* progress) {
    ProgressSink none;
    lrx::test::ScratchDir dir;
    lrx::test::WriteFile(dir / "in.rpl", replay);
    CodecRun run;
    {
        FileStream in((dir / "in.rpl").c_str(), "rb", 2000);
        FileStream out((dir / "out.pak").c_str(), "wb", 32000);
        CodecContext ctx;
        int64_t packedSize = -1;
        run.result =
            EncodeReplay(ctx, in.get(), out.get(), progress ? *progress : none, packedSize);
        if (!out.Close()) run.result = -2;
        if (run.result == LRX_OK &&
            packedSize != static_cast<int64_t>(lrx::test::ReadFile(dir / "out.pak").size())) {
            run.result = -3;  // the packed size must count exactly what reached the file
        }
    }
    run.output = lrx::test::ReadFile(dir / "out.pak");
    if (progress) return run;

    // Once more from memory, read in place: the same result and bytes.
    CodecContext ctx;
    MemorySource source(replay.data(), replay.size());
    Bytes again;
    VectorSink sink(again);
    int64_t packedSize = -1;
    const int result = EncodeReplay(ctx, source, sink, none, packedSize);
    if (result != run.result || (result == LRX_OK && again != run.output)) run.result = -4;
    return run;
}

namespace {
bool SameVerdict(const ModelCheck& a, const ModelCheck& b) {
    return a.problem == b.problem && a.refusal == b.refusal && a.frame == b.frame;
}
}  // namespace

CodecRun Decode(const Bytes& packed, int32_t rawSize, ProgressSink* progress) {
    ProgressSink none;
    lrx::test::ScratchDir dir;
    lrx::test::WriteFile(dir / "in.pak", packed);
    CodecRun run;
    {
        FileStream in((dir / "in.pak").c_str(), "rb");
        FileStream out((dir / "out.rpl").c_str(), "wb", 2000);
        CodecContext ctx;
        run.result = DecodeReplay(ctx, in.get(), out.get(), rawSize, progress ? *progress : none);
        if (!out.Close()) run.result = -2;
    }
    run.output = lrx::test::ReadFile(dir / "out.rpl");
    if (progress) return run;

    // Once more from memory, with the checks the entry test asks for: the
    // same replay, and the model check's verdict on it found on the way.
    // Decoded in place into a buffer of exactly the raw size, unless that is
    // a damaged stream's outsized claim.
    CodecContext ctx;
    MemorySource source(packed.data(), packed.size());
    const bool inPlace = rawSize >= 0 && rawSize <= (64 << 20);
    Bytes again(inPlace ? static_cast<std::size_t>(rawSize) : 0);
    SpanSink span(again);
    VectorSink vector(again);
    ByteSink& sink = inPlace ? static_cast<ByteSink&>(span) : vector;
    DecodeCheck check;
    const int result = DecodeReplay(ctx, source, sink, rawSize, none, &check);
    if (inPlace) again.resize(span.used());
    if (result != run.result || again != run.output) {
        run.result = -4;
    } else if (run.result == LRX_OK && !SameVerdict(check.model, CheckModel(run.output))) {
        run.result = -5;
    }
    return run;
}

CodecRun RoundTrip(const Bytes& replay) {
    CodecRun packed = Encode(replay);
    if (packed.result != LRX_OK) return {packed.result, {}};
    return Decode(packed.output, static_cast<int32_t>(replay.size()));
}

ModelCheck CheckModel(const Bytes& replay) {
    lrx::test::ScratchDir dir;
    lrx::test::WriteFile(dir / "in.rpl", replay);
    return CheckReplayModel((dir / "in.rpl").c_str());
}

bool FollowsModel(const Bytes& replay) {
    return CheckModel(replay).FollowsModel();
}

}  // namespace lrx::codec::test
