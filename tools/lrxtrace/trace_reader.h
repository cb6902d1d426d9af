// Reads a call-trace file of the archive manager back into its call tree.
// The reader applies the writer's width rule (the id width grows by one byte
// once the next id to give reaches limit - 2, limit 256 then times 256), so it
// follows any number of labels; a damaged file is read up to the first record
// that cannot be complete or makes no sense, and the result says where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace lrx::trace {

struct TraceEvent {
    bool enter;          // false: a leave record
    uint32_t label;      // enter: index into TraceFile::labels (id - 1)
    int depth;           // enter: calls open around it; leave: calls open after it
    std::size_t offset;  // first byte of the record
};

struct TraceFile {
    std::vector<std::string> labels;  // labels[id - 1]
    std::vector<TraceEvent> events;
    // Where reading stopped early, and why; empty when every byte was read.
    std::string problem;
    std::size_t problemOffset = 0;
    int unmatchedLeaves = 0;  // leave records with no call open
    int openAtEnd = 0;        // calls never left (the program ended inside them)

    bool Damaged() const { return !problem.empty(); }
};

TraceFile ReadTrace(const unsigned char* data, std::size_t size);

// One line per call, indented two blanks per level.
void PrintCallTree(const TraceFile& trace, std::ostream& out);
// Lines saying where a damaged trace ends and what is unbalanced; empty when
// there is nothing to say.
std::string Diagnostics(const TraceFile& trace);

}  // namespace lrx::trace
