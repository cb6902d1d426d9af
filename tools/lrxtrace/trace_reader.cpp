#include "trace_reader.h"

#include <ostream>
#include <sstream>

namespace lrx::trace {
namespace {

// Reads `width` little-endian bytes; false when the file ends first.
bool ReadId(const unsigned char* data, std::size_t size, std::size_t& pos, int width,
            uint64_t& id) {
    if (size - pos < static_cast<std::size_t>(width)) return false;
    id = 0;
    for (int i = 0; i < width; ++i) id |= static_cast<uint64_t>(data[pos + i]) << (8 * i);
    pos += static_cast<std::size_t>(width);
    return true;
}

}  // namespace

TraceFile ReadTrace(const unsigned char* data, std::size_t size) {
    TraceFile trace;
    int width = 1;
    uint64_t widthLimit = 256;
    uint64_t nextId = 1;
    int depth = 0;
    std::size_t pos = 0;
    auto stop = [&](std::size_t at, std::string why) {
        trace.problem = std::move(why);
        trace.problemOffset = at;
    };
    while (pos < size) {
        const std::size_t start = pos;
        uint64_t id = 0;
        if (!ReadId(data, size, pos, width, id)) {
            stop(start, "truncated inside a " + std::to_string(width) + "-byte id");
            break;
        }
        if (id == 0) {
            if (depth == 0) {
                ++trace.unmatchedLeaves;
            } else {
                --depth;
            }
            trace.events.push_back({false, 0, depth, start});
            continue;
        }
        const uint64_t marker = width >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * width)) - 1;
        if (id == marker) {
            if (size - pos < 2) {
                stop(start, "truncated inside the length of a new label");
                break;
            }
            const std::size_t length = data[pos] | static_cast<std::size_t>(data[pos + 1]) << 8;
            pos += 2;
            if (size - pos < length) {
                stop(start, "truncated inside the text of a new label (" + std::to_string(length) +
                                " bytes announced, " + std::to_string(size - pos) + " present)");
                break;
            }
            std::string label(length, '\0');
            for (std::size_t i = 0; i < length; ++i) {
                label[i] = static_cast<char>(static_cast<unsigned char>(data[pos + i] + 0x41));
            }
            pos += length;
            trace.labels.push_back(std::move(label));
            id = nextId++;
            if (nextId == widthLimit - 2) {
                ++width;
                widthLimit *= 256;
            }
        } else if (id >= nextId) {
            stop(start, "unknown id " + std::to_string(id));
            break;
        }
        trace.events.push_back({true, static_cast<uint32_t>(id - 1), depth, start});
        ++depth;
    }
    trace.openAtEnd = depth;
    return trace;
}

void PrintCallTree(const TraceFile& trace, std::ostream& out) {
    for (const TraceEvent& event : trace.events) {
        if (!event.enter) continue;
        out << std::string(static_cast<std::size_t>(event.depth) * 2, ' ')
            << trace.labels[event.label] << '\n';
    }
}

std::string Diagnostics(const TraceFile& trace) {
    std::ostringstream text;
    if (trace.Damaged()) {
        text << "trace ends at byte " << trace.problemOffset << ": " << trace.problem << '\n';
    }
    if (trace.unmatchedLeaves > 0) {
        text << trace.unmatchedLeaves << " leave record(s) without an open call\n";
    }
    if (trace.openAtEnd > 0) text << trace.openAtEnd << " call(s) still open at the end\n";
    return text.str();
}

}  // namespace lrx::trace
