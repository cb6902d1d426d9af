// A cursor from the program's resources, owned: released when the object
// goes (a mode that shows it keeps the object for as long as it lasts).
#pragma once

#include <windows.h>

namespace lrx::fw {

class TCursor {
  public:
    explicit TCursor(int resourceId);
    ~TCursor();
    TCursor(const TCursor&) = delete;
    TCursor& operator=(const TCursor&) = delete;

    HCURSOR GetHandle() const { return cursor_; }
    // Makes it the cursor shown now.
    void Show() const;

  private:
    HCURSOR cursor_;
};

// Shows one of the system's cursors (IDC_ARROW).
void ShowSystemCursor(LPCSTR id);

}  // namespace lrx::fw
