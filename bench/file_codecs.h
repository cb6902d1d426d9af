// The codecs the benchmark compares, each packing one file into another and
// back through C streams, single-threaded and streaming, so memory does not
// depend on the file's length unless the codec itself makes it so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lrx::bench {

struct FileCodec {
    std::string name;  // "lrx", "zlib", "zstd", "xz", "bzip2", "copy"
    int level = 0;     // the codec's own level; 0 where it has none
    std::string Label() const;
};

// The codecs of the comparison table, ours first.
std::vector<FileCodec> ComparedCodecs();
bool FindCodec(const std::string& name, int level, FileCodec& codec);

// Packs or unpacks one file; false on any failure. rawSize is the unpacked
// length, which the lrx decoder needs (an archive keeps it in the record).
bool PackFile(const FileCodec& codec, const std::string& from, const std::string& to);
bool UnpackFile(const FileCodec& codec, const std::string& from, const std::string& to,
                int64_t rawSize);

// The replay codec alone, from memory into memory: besides the codec only
// the copies into and out of its blocks are timed. packed gets the packed
// data, replay the rawSize bytes of the replay.
bool LrxPackInMemory(const std::vector<unsigned char>& replay, std::vector<unsigned char>& packed);
bool LrxUnpackInMemory(const std::vector<unsigned char>& packed, int64_t rawSize,
                       std::vector<unsigned char>& replay);

std::vector<unsigned char> ReadWholeFile(const std::string& path);

}  // namespace lrx::bench
