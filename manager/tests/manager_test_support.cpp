#include "manager_test_support.h"

namespace lrx::mgr::test {

void WriteArchive(const std::string& path, const std::vector<Record>& records) {
    lrx::test::Bytes bytes = lrx::test::ArchiveHeader();
    for (const Record& r : records) {
        bytes.resize(bytes.size() + static_cast<std::size_t>(r.packedSize), 0);
        lrx::test::Bytes record = lrx::test::FileInfoBytes(r.name, r.rawSize, r.packedSize);
        record.resize(22);
        for (uint16_t field : {r.year, r.month, r.day, r.hour, r.minute})
            lrx::test::AppendU16(record, field);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    lrx::test::WriteFile(path, bytes);
}

}  // namespace lrx::mgr::test
