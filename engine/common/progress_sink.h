// Where an operation reports how far it is and asks its questions: the
// caller's window (the mailbox), a program's callbacks, or nowhere. One sink
// serves one operation; the engine calls it from the operation's own thread.
#pragma once

#include <string>

namespace lrx {

enum class OverwriteAnswer { Yes, No, Always, Abort };

enum class Stage { Adding, Updating, Extracting, Deleting };

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;

    // The operation starts (a window takes the focus).
    virtual void Start() {}
    // An entry is taken in hand; Deleting has no entry (null).
    virtual void Enter(Stage stage, const char* entry) {
        (void)stage;
        (void)entry;
    }
    // The entry the next percentages are about, entered earlier: extraction
    // enters a whole group of entries before it decodes them.
    virtual void Resume(const char* entry) { (void)entry; }
    // How far the entry in hand (or the delete) is, 0..100.
    virtual void Percent(int percent) { (void)percent; }
    // An entry is done: added to the new archive, or extracted into place.
    virtual void Finished(Stage stage, const char* entry) {
        (void)stage;
        (void)entry;
    }
    // An entry cannot be extracted to the file its name gives.
    virtual void Unwritable(const char* entry) { (void)entry; }
    // Whether the caller wants the operation stopped; asked between units of
    // work, so it is cheap.
    virtual bool CancelRequested() { return false; }
    // Whether a report already taken asked for a stop. Asks the caller
    // nothing anew: a window's mailbox is read only by CancelRequested.
    virtual bool StopAsked() const { return false; }
    // Whether AskOverwrite can be answered at all (extraction mode 3 needs it).
    virtual bool CanAsk() const { return false; }
    // Asked before an existing destination file is replaced.
    virtual OverwriteAnswer AskOverwrite(const std::string& path) {
        (void)path;
        return OverwriteAnswer::Abort;
    }
};

}  // namespace lrx
