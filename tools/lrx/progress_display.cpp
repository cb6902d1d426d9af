#include "progress_display.h"

#include <cctype>
#include <cstdlib>

#include "interrupt.h"
#include "name_text.h"

namespace lrx::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

long LeadingNumber(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

}  // namespace

ProgressDisplay::ProgressDisplay(HostWindow& window, bool draw, std::FILE* terminal)
    : window_(window), draw_(draw), terminal_(terminal) {
    window_.OnMailboxChange([this](HostWindow& w) { OnChange(w); });
}

ProgressDisplay::~ProgressDisplay() {
    window_.OnMailboxChange(nullptr);
    Clear();
}

void ProgressDisplay::OnChange(HostWindow& window) {
    const std::string text = window.MailboxText();
    const long number = LeadingNumber(text);
    if (text.rfind("998", 0) == 0) {
        Clear();
        const Answer answer = ask_ ? ask_(text.substr(3)) : Answer::No;
        // A signal that ended the question stops the run instead of answering it.
        window.SetMailboxText(InterruptRequested()    ? "999"
                              : answer == Answer::Yes ? "800"
                              : answer == Answer::No  ? "801"
                                                      : "802");
        return;
    }
    if (text.rfind("101", 0) == 0) {
        Clear();
        status_ = text.substr(3);
        percent_ = 0;
        Draw(true);
    } else if (number >= 0 && number <= 100 && !text.empty() &&
               std::isdigit(static_cast<unsigned char>(text[0]))) {
        percent_ = static_cast<int>(number);
        Draw(false);
    }
    // The engine polls before each report: an abort written now is read at
    // its next progress step.
    if (InterruptRequested() && LeadingNumber(window.MailboxText()) != 999) {
        window.SetMailboxText("999");
    }
}

void ProgressDisplay::Draw(bool force) {
    if (!draw_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < kRedrawInterval) return;
    lastDraw_ = now;
    const int filled = percent_ * kBarWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    // The status holds a name from the archive: never raw on the terminal.
    std::fprintf(terminal_, "\r%-32.32s [%s] %3d%%", PrintableName(status_).c_str(), bar.c_str(),
                 percent_);
    std::fflush(terminal_);
    shown_ = true;
}

void ProgressDisplay::HoldBackWhileDrawing(std::FILE* output) {
    if (!draw_) return;
    // Must come before anything is written to output.
    std::setvbuf(output, nullptr, _IOFBF, 8192);
    heldOutput_ = output;
}

void ProgressDisplay::Clear() {
    if (shown_) {
        std::fprintf(terminal_, "\r%*s\r", 32 + kBarWidth + 8, "");
        std::fflush(terminal_);
        shown_ = false;
    }
    if (heldOutput_) std::fflush(heldOutput_);
}

Answer AskOnTerminal(const std::string& path, std::FILE* in, std::FILE* out) {
    for (;;) {
        std::fprintf(out, "overwrite %s? [y]es/[n]o/[a]lways ", path.c_str());
        std::fflush(out);
        char line[64];
        if (!std::fgets(line, sizeof line, in)) {
            std::fputc('\n', out);
            return Answer::No;
        }
        std::string word;
        for (const char* p = line; *p && *p != '\n' && *p != '\r'; ++p) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
        }
        if (word == "y" || word == "yes") return Answer::Yes;
        if (word == "n" || word == "no") return Answer::No;
        if (word == "a" || word == "always") return Answer::Always;
    }
}

}  // namespace lrx::cli
