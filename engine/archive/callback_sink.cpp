#include "callback_sink.h"

namespace lrx {

void CallbackSink::Report(int percent) {
    if (callbacks_.progress && callbacks_.progress(callbacks_.user, entry_.c_str(), percent) != 0) {
        stopped_ = true;
    }
}

void CallbackSink::Enter(Stage stage, const char* entry) {
    (void)stage;
    entry_ = entry ? entry : "";
    Report(0);
}

void CallbackSink::Percent(int percent) {
    Report(percent < 99 ? percent : 99);
}

void CallbackSink::Finished(Stage stage, const char* entry) {
    (void)stage;
    entry_ = entry;
    Report(100);
}

OverwriteAnswer CallbackSink::AskOverwrite(const std::string& path) {
    if (!callbacks_.overwrite) return OverwriteAnswer::Abort;
    switch (callbacks_.overwrite(callbacks_.user, path.c_str())) {
        case LRX_ANSWER_NO:
            return OverwriteAnswer::No;
        case LRX_ANSWER_YES:
            return OverwriteAnswer::Yes;
        case LRX_ANSWER_ALWAYS:
            return OverwriteAnswer::Always;
        default:
            stopped_ = true;
            return OverwriteAnswer::Abort;
    }
}

}  // namespace lrx
