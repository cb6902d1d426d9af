// TPatchApp: the patch program's application object. It makes the wizard's
// frame the main window and hands the pacing timer's ticks, which belong to
// no window and so arrive here, to the wizard dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "application.h"

namespace kqp {

class TPatchApp : public lrx::fw::TApplication {
  public:
    // The patch file named on the command line, if any.
    explicit TPatchApp(std::optional<std::string> patchFileName);

    static const lrx::fw::TResponseTable& Table();
    const lrx::fw::TResponseTable& Responses() const override { return Table(); }

    void InitMainWindow() override;

  protected:
    LRESULT EvTimer(WPARAM timerId, LPARAM);

  private:
    std::optional<std::string> patchFileName_;
};

}  // namespace kqp
