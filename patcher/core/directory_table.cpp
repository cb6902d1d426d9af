#include "directory_table.h"

namespace kqp {

const TPath* DirectoryTable::Find(int32_t id) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->Id == id) return &*it;
    }
    return nullptr;
}

}  // namespace kqp
