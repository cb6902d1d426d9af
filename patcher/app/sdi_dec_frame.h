// TSDIDecFrame: the patch program's main window, a fixed-size frame around
// its own TPatchDlgClient, sized to the dialog, with the program's icon.
#pragma once

#include <optional>
#include <string>

#include "frame.h"

namespace kqp {

class TPatchDlgClient;

class TSDIDecFrame : public lrx::fw::TDecoratedFrame {
  public:
    TSDIDecFrame(lrx::fw::TWindow* parent, const char* title,
                 std::optional<std::string> patchFileName);

    TPatchDlgClient& Client() const;
};

}  // namespace kqp
