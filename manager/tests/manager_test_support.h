// Archives with chosen records for the manager's tests, listed by the real
// engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"

namespace lrx::mgr::test {

struct Record {
    std::string name;
    int32_t rawSize = 0;
    int32_t packedSize = 0;
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// Each record behind packedSize zero bytes, as the directory walk expects.
void WriteArchive(const std::string& path, const std::vector<Record>& records);

}  // namespace lrx::mgr::test
