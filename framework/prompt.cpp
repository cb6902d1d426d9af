#include "prompt.h"

namespace lrx::fw {
namespace {

TPromptAnswerer& Answerer() {
    static TPromptAnswerer answerer;
    return answerer;
}

}  // namespace

void SetPromptAnswerer(TPromptAnswerer answerer) {
    Answerer() = std::move(answerer);
}

std::optional<int> AnswerPrompt(TPrompt& prompt) {
    if (!Answerer()) return std::nullopt;
    // A copy: the answerer may replace itself while it runs.
    TPromptAnswerer answerer = Answerer();
    return answerer(prompt);
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    TPrompt prompt(TPromptKind::MessageBox);
    prompt.Owner = owner;
    prompt.Text = text ? text : "";
    prompt.Caption = caption ? caption : "";
    prompt.Style = type;
    if (auto answer = AnswerPrompt(prompt)) return *answer;
    return ::MessageBoxA(owner, text, caption, type);
}

}  // namespace lrx::fw
