#include "registry_value.h"

#include <cstring>

namespace kqp {

RegistryRoot RootFromByte(int8_t rootByte) {
    if (rootByte < 0 || rootByte > 5) return RegistryRoot::kPerformanceData;
    return static_cast<RegistryRoot>(rootByte);
}

std::optional<std::string> RegistryValueText(const unsigned char* buffer, std::size_t capacity,
                                             std::size_t size) {
    if (size > capacity) return std::nullopt;
    const void* zero = std::memchr(buffer, 0, size);
    if (zero) {
        return std::string(reinterpret_cast<const char*>(buffer),
                           static_cast<const unsigned char*>(zero) - buffer);
    }
    if (size == capacity) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(buffer), size);
}

}  // namespace kqp
