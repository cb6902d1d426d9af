#include "program_rules.h"

#include "patch_texts.h"

namespace kqp {

std::optional<std::string> PatchFileFromCommandLine(int argc, const char* const* argv) {
    if (argc != 2 || argv == nullptr || argv[1] == nullptr) return std::nullopt;
    return std::string(argv[1]);
}

int MainWindowShowCommand(int showCommand) {
    constexpr int kHide = 0;
    constexpr int kShowNormal = 1;
    constexpr int kShowMinNoActive = 7;
    return showCommand == kHide || showCommand == kShowMinNoActive ? showCommand : kShowNormal;
}

std::string MainWindowCaption(std::string_view title) {
    return std::string(kCaptionPrefix).append(title);
}

}  // namespace kqp
