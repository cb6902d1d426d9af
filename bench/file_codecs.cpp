#include "file_codecs.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <memory>

#include "codec.h"
#include "file_stream.h"
#include "lrxpack.h"

namespace lrx::bench {
namespace {

// The engine's own buffer sizes: replays through 2000 bytes, archives
// written through 32000 bytes and read with the standard buffering.
constexpr std::size_t kReplayBuffer = 2000;
constexpr std::size_t kArchiveBuffer = 32000;
// The general-purpose codecs get 128 KiB pieces, as their tools use.
constexpr std::size_t kChunk = 128 * 1024;

struct Streams {
    FileStream in, out;
    Streams(const std::string& from, const std::string& to)
        : in(from.c_str(), "rb"), out(to.c_str(), "wb") {}
    bool ok() const { return in.IsOpen() && out.IsOpen(); }
};

bool Finish(Streams& s, bool ok) {
    return s.out.Close() && ok;
}

bool LrxPack(const std::string& from, const std::string& to) {
    FileStream replay(from.c_str(), "rb", kReplayBuffer);
    FileStream archive(to.c_str(), "wb", kArchiveBuffer);
    if (!replay.IsOpen() || !archive.IsOpen()) return false;
    auto context = std::make_unique<codec::CodecContext>();
    lrx::ProgressSink progress;
    int64_t packedSize = 0;
    const int result =
        codec::EncodeReplay(*context, replay.get(), archive.get(), progress, packedSize);
    return archive.Close() && result == LRX_OK;
}

bool LrxUnpack(const std::string& from, const std::string& to, int64_t rawSize) {
    FileStream archive(from.c_str(), "rb");
    FileStream replay(to.c_str(), "wb", kReplayBuffer);
    if (!archive.IsOpen() || !replay.IsOpen()) return false;
    auto context = std::make_unique<codec::CodecContext>();
    lrx::ProgressSink progress;
    const int result = codec::DecodeReplay(*context, archive.get(), replay.get(),
                                           static_cast<int32_t>(rawSize), progress);
    return replay.Close() && result == LRX_OK;
}

bool Copy(const std::string& from, const std::string& to) {
    Streams s(from, to);
    if (!s.ok()) return false;
    std::vector<char> buffer(kChunk);
    std::size_t n;
    bool ok = true;
    while (ok && (n = std::fread(buffer.data(), 1, buffer.size(), s.in.get())) > 0) {
        ok = std::fwrite(buffer.data(), 1, n, s.out.get()) == n;
    }
    return Finish(s, ok);
}

bool ZlibPack(int level, const std::string& from, const std::string& to) {
    Streams s(from, to);
    if (!s.ok()) return false;
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) return false;
    std::vector<unsigned char> in(kChunk), out(kChunk);
    bool ok = true;
    int flush = Z_NO_FLUSH;
    while (ok && flush != Z_FINISH) {
        const std::size_t n = std::fread(in.data(), 1, in.size(), s.in.get());
        flush = n < in.size() ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(n);
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            const std::size_t have = out.size() - z.avail_out;
            ok = std::fwrite(out.data(), 1, have, s.out.get()) == have;
        } while (ok && z.avail_out == 0);
    }
    deflateEnd(&z);
    return Finish(s, ok);
}

bool ZlibUnpack(const std::string& from, const std::string& to) {
    Streams s(from, to);
    if (!s.ok()) return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    std::vector<unsigned char> in(kChunk), out(kChunk);
    int status = Z_OK;
    bool ok = true;
    while (ok && status != Z_STREAM_END) {
        z.avail_in = static_cast<uInt>(std::fread(in.data(), 1, in.size(), s.in.get()));
        if (z.avail_in == 0) break;
        z.next_in = in.data();
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END) ok = false;
            const std::size_t have = out.size() - z.avail_out;
            ok = ok && std::fwrite(out.data(), 1, have, s.out.get()) == have;
        } while (ok && z.avail_out == 0);
    }
    inflateEnd(&z);
    return Finish(s, ok && status == Z_STREAM_END);
}

bool ZstdPack(int level, const std::string& from, const std::string& to) {
    Streams s(from, to);
    if (!s.ok()) return false;
    std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> cctx(ZSTD_createCCtx(), ZSTD_freeCCtx);
    ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, level);
    // As the zstd tool does for a file of known length.
    ZSTD_CCtx_setPledgedSrcSize(cctx.get(), static_cast<unsigned long long>(s.in.Length()));
    std::vector<unsigned char> in(ZSTD_CStreamInSize()), out(ZSTD_CStreamOutSize());
    bool ok = true, last = false;
    while (ok && !last) {
        const std::size_t n = std::fread(in.data(), 1, in.size(), s.in.get());
        last = n < in.size();
        ZSTD_inBuffer input{in.data(), n, 0};
        const ZSTD_EndDirective mode = last ? ZSTD_e_end : ZSTD_e_continue;
        bool done = false;
        while (ok && !done) {
            ZSTD_outBuffer output{out.data(), out.size(), 0};
            const std::size_t remaining = ZSTD_compressStream2(cctx.get(), &output, &input, mode);
            ok = !ZSTD_isError(remaining) &&
                 std::fwrite(out.data(), 1, output.pos, s.out.get()) == output.pos;
            done = last ? remaining == 0 : input.pos == input.size;
        }
    }
    return Finish(s, ok);
}

bool ZstdUnpack(const std::string& from, const std::string& to) {
    Streams s(from, to);
    if (!s.ok()) return false;
    std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> dctx(ZSTD_createDCtx(), ZSTD_freeDCtx);
    std::vector<unsigned char> in(ZSTD_DStreamInSize()), out(ZSTD_DStreamOutSize());
    bool ok = true;
    std::size_t n;
    while (ok && (n = std::fread(in.data(), 1, in.size(), s.in.get())) > 0) {
        ZSTD_inBuffer input{in.data(), n, 0};
        while (ok && input.pos < input.size) {
            ZSTD_outBuffer output{out.data(), out.size(), 0};
            ok = !ZSTD_isError(ZSTD_decompressStream(dctx.get(), &output, &input)) &&
                 std::fwrite(out.data(), 1, output.pos, s.out.get()) == output.pos;
        }
    }
    return Finish(s, ok);
}

bool LzmaRun(lzma_stream& z, Streams& s) {
    std::vector<unsigned char> in(kChunk), out(kChunk);
    lzma_action action = LZMA_RUN;
    z.next_out = out.data();
    z.avail_out = out.size();
    bool ok = true;
    while (ok) {
        if (z.avail_in == 0 && action == LZMA_RUN) {
            z.next_in = in.data();
            z.avail_in = std::fread(in.data(), 1, in.size(), s.in.get());
            if (z.avail_in < in.size()) action = LZMA_FINISH;
        }
        const lzma_ret status = lzma_code(&z, action);
        if (z.avail_out == 0 || status == LZMA_STREAM_END) {
            const std::size_t have = out.size() - z.avail_out;
            ok = std::fwrite(out.data(), 1, have, s.out.get()) == have;
            z.next_out = out.data();
            z.avail_out = out.size();
        }
        if (status == LZMA_STREAM_END) break;
        if (status != LZMA_OK) ok = false;
    }
    lzma_end(&z);
    return Finish(s, ok);
}

bool XzPack(int level, const std::string& from, const std::string& to) {
    Streams s(from, to);
    lzma_stream z = LZMA_STREAM_INIT;
    if (!s.ok() ||
        lzma_easy_encoder(&z, static_cast<uint32_t>(level), LZMA_CHECK_CRC64) != LZMA_OK) {
        return false;
    }
    return LzmaRun(z, s);
}

bool XzUnpack(const std::string& from, const std::string& to) {
    Streams s(from, to);
    lzma_stream z = LZMA_STREAM_INIT;
    if (!s.ok() || lzma_stream_decoder(&z, UINT64_MAX, 0) != LZMA_OK) return false;
    return LzmaRun(z, s);
}

bool Bzip2Pack(int level, const std::string& from, const std::string& to) {
    Streams s(from, to);
    bz_stream z{};
    if (!s.ok() || BZ2_bzCompressInit(&z, level, 0, 0) != BZ_OK) return false;
    std::vector<char> in(kChunk), out(kChunk);
    bool ok = true, last = false;
    while (ok && !last) {
        const std::size_t n = std::fread(in.data(), 1, in.size(), s.in.get());
        last = n < in.size();
        z.next_in = in.data();
        z.avail_in = static_cast<unsigned>(n);
        int status;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<unsigned>(out.size());
            status = BZ2_bzCompress(&z, last ? BZ_FINISH : BZ_RUN);
            const std::size_t have = out.size() - z.avail_out;
            ok = status >= 0 && std::fwrite(out.data(), 1, have, s.out.get()) == have;
        } while (ok && (last ? status != BZ_STREAM_END : z.avail_in > 0));
    }
    BZ2_bzCompressEnd(&z);
    return Finish(s, ok);
}

bool Bzip2Unpack(const std::string& from, const std::string& to) {
    Streams s(from, to);
    bz_stream z{};
    if (!s.ok() || BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK) return false;
    std::vector<char> in(kChunk), out(kChunk);
    int status = BZ_OK;
    bool ok = true;
    while (ok && status != BZ_STREAM_END) {
        z.avail_in = static_cast<unsigned>(std::fread(in.data(), 1, in.size(), s.in.get()));
        if (z.avail_in == 0) break;
        z.next_in = in.data();
        while (ok && status != BZ_STREAM_END && (z.avail_in > 0 || z.avail_out == 0)) {
            z.next_out = out.data();
            z.avail_out = static_cast<unsigned>(out.size());
            status = BZ2_bzDecompress(&z);
            const std::size_t have = out.size() - z.avail_out;
            ok = (status == BZ_OK || status == BZ_STREAM_END) &&
                 std::fwrite(out.data(), 1, have, s.out.get()) == have;
        }
    }
    BZ2_bzDecompressEnd(&z);
    return Finish(s, ok && status == BZ_STREAM_END);
}

}  // namespace

bool LrxPackInMemory(const std::vector<unsigned char>& replay, std::vector<unsigned char>& packed) {
    // Room kept from pass to pass, so that no pass grows the vector.
    packed.clear();
    packed.reserve(replay.size());
    codec::MemorySource in(replay.data(), replay.size());
    codec::VectorSink out(packed);
    auto context = std::make_unique<codec::CodecContext>();
    lrx::ProgressSink progress;
    int64_t packedSize = 0;
    return codec::EncodeReplay(*context, in, out, progress, packedSize) == LRX_OK;
}

bool LrxUnpackInMemory(const std::vector<unsigned char>& packed, int64_t rawSize,
                       std::vector<unsigned char>& replay) {
    // Decoded in place: the raw size is known, as an archive records it.
    replay.resize(static_cast<std::size_t>(rawSize));
    codec::MemorySource in(packed.data(), packed.size());
    codec::SpanSink out(replay);
    auto context = std::make_unique<codec::CodecContext>();
    lrx::ProgressSink progress;
    return codec::DecodeReplay(*context, in, out, static_cast<int32_t>(rawSize), progress) ==
               LRX_OK &&
           out.used() == replay.size();
}

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    FileStream file(path.c_str(), "rb");
    const int64_t length = file.IsOpen() ? file.Length() : -1;
    if (length < 0) return bytes;
    bytes.resize(static_cast<std::size_t>(length));
    if (!file.ReadBytes(bytes.data(), bytes.size())) bytes.clear();
    return bytes;
}

std::string FileCodec::Label() const {
    return level > 0 ? name + " -" + std::to_string(level) : name;
}

std::vector<FileCodec> ComparedCodecs() {
    return {{"lrx", 0},   {"zlib", 6}, {"zlib", 9},  {"zstd", 3},
            {"zstd", 19}, {"xz", 6},   {"bzip2", 9}, {"copy", 0}};
}

bool FindCodec(const std::string& name, int level, FileCodec& codec) {
    for (const FileCodec& c : ComparedCodecs()) {
        if (c.name == name && c.level == level) {
            codec = c;
            return true;
        }
    }
    return false;
}

bool PackFile(const FileCodec& codec, const std::string& from, const std::string& to) {
    if (codec.name == "lrx") return LrxPack(from, to);
    if (codec.name == "zlib") return ZlibPack(codec.level, from, to);
    if (codec.name == "zstd") return ZstdPack(codec.level, from, to);
    if (codec.name == "xz") return XzPack(codec.level, from, to);
    if (codec.name == "bzip2") return Bzip2Pack(codec.level, from, to);
    return Copy(from, to);
}

bool UnpackFile(const FileCodec& codec, const std::string& from, const std::string& to,
                int64_t rawSize) {
    if (codec.name == "lrx") return LrxUnpack(from, to, rawSize);
    if (codec.name == "zlib") return ZlibUnpack(from, to);
    if (codec.name == "zstd") return ZstdUnpack(from, to);
    if (codec.name == "xz") return XzUnpack(from, to);
    if (codec.name == "bzip2") return Bzip2Unpack(from, to);
    return Copy(from, to);
}

}  // namespace lrx::bench
