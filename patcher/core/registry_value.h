// What a patch file's registry entries need from the registry: the root its
// root byte names, and the key's unnamed value taken as a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kqp {

enum class RegistryRoot {
    kClassesRoot,
    kCurrentUser,
    kLocalMachine,
    kUsers,
    kCurrentConfig,
    kDynData,
    kPerformanceData,
};

// 0..5 name the roots in the order above; every other value names
// kPerformanceData.
RegistryRoot RootFromByte(int8_t rootByte);

// The value is queried into a buffer of this many bytes.
inline constexpr std::size_t kRegistryValueBufferSize = 261;

// The text in a queried value of `size` bytes, whatever its registry type:
// up to its first zero, or all of it when it has none and a terminating zero
// still fits the buffer. None when it fills the buffer without a zero, since
// the text may then go on beyond what was read.
std::optional<std::string> RegistryValueText(const unsigned char* buffer, std::size_t capacity,
                                             std::size_t size);

}  // namespace kqp
