#include "context_help.h"

namespace lrx::mgr {

void ContextHelp::EndMode() {
    active_ = false;
    if (cursorLoaded_) {
        view_.ReleaseHelpCursor();
        cursorLoaded_ = false;
    }
}

bool ContextHelp::OnCommand(int commandId, bool f1Held) {
    if (!active_ && !f1Held) return false;
    EndMode();
    view_.ShowHelp(HelpCommand::kContext, static_cast<unsigned long>(commandId));
    return true;
}

bool ContextHelp::OnF1(bool shiftHeld) {
    if (!shiftHeld) {
        view_.ShowHelp(HelpCommand::kIndex, 0);
        return true;
    }
    active_ = true;
    // Loaded once per mode: Shift+F1 again only shows it.
    if (!cursorLoaded_) {
        view_.LoadHelpCursor();
        cursorLoaded_ = true;
    }
    view_.ShowHelpCursor();
    return true;
}

bool ContextHelp::OnEscape() {
    if (!active_) return false;
    EndMode();
    view_.ShowArrowCursor();
    return true;
}

bool ContextHelp::OnMouseMove() {
    if (!active_) return false;
    if (cursorLoaded_) view_.ShowHelpCursor();
    return true;
}

bool ContextHelp::OnMenuIdle(bool menuSource, bool f1Held) {
    if (!menuSource || !f1Held) return false;
    active_ = true;
    view_.PostMenuEnter();
    return true;
}

void ContextHelp::CmHelpContents() {
    helpState_ = view_.ShowHelp(HelpCommand::kFinder, 0);
}

void ContextHelp::CmHelpUsing() {
    helpState_ = view_.ShowHelp(HelpCommand::kHelpOnHelp, 0);
}

void ContextHelp::CanClose() {
    if (helpState_) view_.ShowHelp(HelpCommand::kQuit, 0);
}

}  // namespace lrx::mgr
