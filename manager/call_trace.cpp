#include "call_trace.h"

#include <algorithm>
#include <vector>

namespace lrx {

bool CallTrace::Open(const char* path) {
    Close();
    ids_.clear();
    nextId_ = 1;
    width_ = 1;
    widthLimit_ = 256;
    file_.reset(std::fopen(path, "wb"));
    if (!file_) return false;
    // Unbuffered: every record is in the file the moment it is written, so a
    // crash leaves a trace that ends where the program did.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    return true;
}

void CallTrace::Close() {
    file_.reset();
}

void CallTrace::Enter(std::string_view label) {
    if (!file_) return;
    auto known = ids_.find(label);
    if (known != ids_.end()) {
        WriteId(known->second);
        return;
    }
    // Announced at the width in force before this label takes its id.
    const int announceWidth = width_;
    ids_.emplace(std::string(label), nextId_);
    ++nextId_;
    if (nextId_ == widthLimit_ - 2) {
        ++width_;
        widthLimit_ *= 256;
    }
    // The length field has 16 bits; longer labels are cut to fit it.
    const std::size_t length = std::min<std::size_t>(label.size(), 0xFFFF);
    std::vector<unsigned char> record(static_cast<std::size_t>(announceWidth) + 2 + length, 0xFF);
    unsigned char* p = record.data() + announceWidth;
    p[0] = static_cast<unsigned char>(length);
    p[1] = static_cast<unsigned char>(length >> 8);
    for (std::size_t i = 0; i < length; ++i) {
        p[2 + i] = static_cast<unsigned char>(static_cast<unsigned char>(label[i]) - 0x41);
    }
    Write(record.data(), record.size());
}

void CallTrace::Leave() {
    if (file_) WriteId(0);
}

void CallTrace::WriteId(uint64_t id) {
    unsigned char bytes[8];
    for (int i = 0; i < width_; ++i) bytes[i] = static_cast<unsigned char>(id >> (8 * i));
    Write(bytes, static_cast<std::size_t>(width_));
}

void CallTrace::Write(const unsigned char* bytes, std::size_t count) {
    (void)std::fwrite(bytes, 1, count, file_.get());
}

CallTrace& ProcessTrace() {
    static CallTrace trace;
    return trace;
}

}  // namespace lrx
