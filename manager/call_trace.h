// The manager's call trace: every traced method writes an enter record naming
// itself and, on every way out, a leave record, so the file "LRXWin" holds the
// program's call tree in order. One trace per process (ProcessTrace()); tests
// make their own CallTrace objects.
//
// File format (no header, little-endian): a known label's enter record is its
// id in `width` bytes; a new label is announced by the all-ones value of the
// current width, a 16-bit length and the label's bytes each less 0x41; a leave
// record is 0 in `width` bytes. Width starts at 1 and grows by one byte when
// the next id to give reaches limit - 2 (limit starts at 256, times 256 per
// growth), checked right after a label has taken its id.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace lrx {

class CallTrace {
  public:
    CallTrace() = default;
    CallTrace(const CallTrace&) = delete;
    CallTrace& operator=(const CallTrace&) = delete;
    ~CallTrace() { Close(); }

    // Creates or truncates the file, unbuffered, and starts a fresh label
    // table. When the file cannot be created nothing is traced until the next
    // successful Open.
    bool Open(const char* path = "LRXWin");
    // Later Enter and Leave calls write nothing.
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    void Enter(std::string_view label);
    void Leave();

    int IdWidth() const { return width_; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    void WriteId(uint64_t id);
    // Write errors are ignored: the trace must never disturb the program.
    void Write(const unsigned char* bytes, std::size_t count);

    std::unique_ptr<std::FILE, FileCloser> file_;
    // Sorted by label bytes (std::string compares as unsigned chars, like strcmp).
    std::map<std::string, uint64_t, std::less<>> ids_;
    uint64_t nextId_ = 1;
    int width_ = 1;
    uint64_t widthLimit_ = 256;
};

// The program's one trace, opened first thing in main and closed after the
// application has run.
CallTrace& ProcessTrace();

// Writes the enter record now and exactly one leave record when the scope
// ends, whichever way it ends:   const TraceScope trace("Wind:Paint");
class TraceScope {
  public:
    explicit TraceScope(std::string_view label, CallTrace& trace = ProcessTrace()) : trace_(trace) {
        trace_.Enter(label);
    }
    ~TraceScope() { trace_.Leave(); }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;

  private:
    CallTrace& trace_;
};

}  // namespace lrx
