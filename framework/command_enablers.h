// Command enablers as state: the program says which commands are enabled when
// its own state changes; the frame applies the table lazily (to a popup menu
// when it opens, to the toolbar in idle time) and refuses a disabled command
// that arrives anyway, for example by accelerator. Commands the table does not
// know are enabled.
#pragma once

#include <cstdint>
#include <map>

namespace lrx::fw {

class TCommandEnablers {
  public:
    void Enable(int commandId, bool enabled) {
        auto [it, added] = states_.try_emplace(commandId, enabled);
        if (added || it->second != enabled) {
            it->second = enabled;
            ++version_;
        }
    }
    bool IsEnabled(int commandId) const {
        auto it = states_.find(commandId);
        return it == states_.end() || it->second;
    }
    bool Knows(int commandId) const { return states_.count(commandId) != 0; }
    // Changes whenever a state changes, so idle time can skip unchanged tables.
    uint64_t Version() const { return version_; }

  private:
    std::map<int, bool> states_;
    uint64_t version_ = 0;
};

}  // namespace lrx::fw
