// TBusyScope marks the time one long call runs (an engine call that pumps
// messages while it works). While any scope lives, the frame refuses every
// command the application does not let through (TApplication::RunsWhileBusy)
// and the main window refuses to close, so nothing re-enters the call.
#pragma once

namespace lrx::fw {

class TApplication;

class TBusyScope {
  public:
    // `app` may be null (no application: nothing to guard).
    explicit TBusyScope(TApplication* app);
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

  private:
    TApplication* app_;
};

}  // namespace lrx::fw
