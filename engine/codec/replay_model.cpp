#include "replay_model.h"

namespace lrx::codec {

int DriverNameLength(const unsigned char* entry) {
    int length = 0;
    while (length < kDriverNameSize && entry[length] != 0) ++length;
    return length;
}

int UsedDriverCount(const unsigned char* headerBlock) {
    const unsigned char* entry = headerBlock + kDriverListOffset;
    int used = 0;
    while (used < kDriverCount && !DriverEntryIsEmpty(entry)) {
        ++used;
        entry += kDriverEntrySize;
    }
    return used;
}

bool PreambleIsRepresentable(const Preamble& preamble) {
    return preamble.headerSize >= kMinHeaderSize && preamble.headerSize <= kMaxHeaderSize &&
           preamble.slotCount <= kMaxSlots;
}

bool DriverListIsRepresentable(const unsigned char* headerBlock) {
    const int used = UsedDriverCount(headerBlock);
    const unsigned char* entry = headerBlock + kDriverListOffset;
    for (int i = 0; i < used; ++i, entry += kDriverEntrySize) {
        if (DriverNameLength(entry) > kMaxDriverNameLength) return false;
        if (entry[kDriverNameSize] > kMaxDriverByte) return false;
    }
    return true;
}

}  // namespace lrx::codec
