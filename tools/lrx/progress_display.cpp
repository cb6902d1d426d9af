#include "progress_display.h"

#include <cctype>

#include "interrupt.h"
#include "name_text.h"

namespace lrx::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressDisplay::ProgressDisplay(Label label, bool draw, std::FILE* terminal)
    : label_(std::move(label)),
      draw_(draw),
      terminal_(terminal),
      callbacks_{this, &ProgressDisplay::OnProgress, &ProgressDisplay::OnOverwrite} {}

ProgressDisplay::~ProgressDisplay() {
    Clear();
}

// A report of 0 takes an entry in hand, one of 100 says it is done; between,
// the entry named is the one being worked on (extraction takes a group in
// hand before it decodes them). The engine asks for a stop only through
// these reports.
int ProgressDisplay::OnProgress(void* user, const char* entry, int percent) {
    auto* self = static_cast<ProgressDisplay*>(user);
    const std::string name = entry ? entry : "";
    if (percent >= 100 && self->finished_) {
        self->finished_(name);
    } else if (percent == 0 || name != self->entry_) {
        self->Clear();
        self->entry_ = name;
        self->status_ = self->label_(name);
        self->percent_ = percent;
        self->Draw(true);
    } else {
        self->percent_ = percent;
        self->Draw(false);
    }
    return InterruptRequested() ? 1 : 0;
}

int ProgressDisplay::OnOverwrite(void* user, const char* path) {
    auto* self = static_cast<ProgressDisplay*>(user);
    self->Clear();
    const Answer answer = self->ask_ ? self->ask_(path) : Answer::No;
    // A signal that ended the question stops the run instead of answering it.
    if (InterruptRequested()) return LRX_ANSWER_CANCEL;
    return answer == Answer::Yes  ? LRX_ANSWER_YES
           : answer == Answer::No ? LRX_ANSWER_NO
                                  : LRX_ANSWER_ALWAYS;
}

void ProgressDisplay::Draw(bool force) {
    if (!draw_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < kRedrawInterval) return;
    lastDraw_ = now;
    const int filled = percent_ * kBarWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(terminal_, "\r%-32.32s [%s] %3d%%", status_.c_str(), bar.c_str(), percent_);
    std::fflush(terminal_);
    shown_ = true;
}

void ProgressDisplay::Clear() {
    if (!shown_) return;
    std::fprintf(terminal_, "\r%*s\r", 32 + kBarWidth + 8, "");
    std::fflush(terminal_);
    shown_ = false;
}

ProgressDisplay::Label VerbLabel(const char* verb) {
    return [verb](const std::string& entry) {
        // The name comes from the archive: never raw on the terminal.
        return entry.empty() ? std::string("Deleting entries...")
                             : std::string(verb) + " " + PrintableName(entry) + "...";
    };
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
