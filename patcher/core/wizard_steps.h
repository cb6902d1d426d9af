// The wizard's four steps and what entering each shows. Entering a step
// applies its row to the view; a row leaves alone what it does not name.
#pragma once

#include <cstdint>

namespace kqp {

enum WizardStep : int32_t {
    kChooseStep = 0,
    kFindingStep = 1,
    kUpdatingStep = 2,
    kCompletedStep = 3
};

enum class Toggle : uint8_t { kKeep, kOn, kOff };

struct StepRow {
    const char* info;
    Toggle gaugeShown;
    const char* nextText;  // null: unchanged
    Toggle nextShown;
    Toggle nextEnabled;
    const char* cancelText;  // null: unchanged
};

inline constexpr StepRow kStepRows[4] = {
    {"Select the patch file (.kqp) to be used.\nPress Next to begin.", Toggle::kOff, "&Next",
     Toggle::kKeep, Toggle::kKeep, "&Close"},
    {"Finding necessary files.", Toggle::kOn, nullptr, Toggle::kOn, Toggle::kKeep, "&Cancel"},
    {"Updating files.", Toggle::kKeep, nullptr, Toggle::kOff, Toggle::kOff, nullptr},
    {"Update successfully completed.", Toggle::kOff, nullptr, Toggle::kOn, Toggle::kOff, "&Close"},
};

}  // namespace kqp
