// A set of car slots (at most 63) as the bits of one 64-bit word, bit s for
// slot s; walking it from the low end visits the slots in ascending order.
#pragma once

#include <bit>
#include <cstdint>

namespace lrx::codec {

inline uint64_t SlotBit(int slot) {
    return uint64_t{1} << slot;
}

inline uint64_t AllSlots(int slotCount) {
    return SlotBit(slotCount) - 1;
}

inline int LowestSlot(uint64_t slots) {
    return std::countr_zero(slots);
}

// The set as slotCount stream bits, slot 0 first (the most significant).
inline uint64_t SlotOrderBits(uint64_t slots, int slotCount) {
    uint64_t bits = 0;
    for (int slot = 0; slot < slotCount; ++slot) bits = (bits << 1) | ((slots >> slot) & 1);
    return bits;
}

// The inverse: slotCount stream bits, slot 0 first, as a set.
inline uint64_t SlotsFromOrderBits(uint64_t bits, int slotCount) {
    uint64_t slots = 0;
    for (int slot = 0; slot < slotCount; ++slot) {
        slots |= ((bits >> (slotCount - 1 - slot)) & 1) << slot;
    }
    return slots;
}

}  // namespace lrx::codec
