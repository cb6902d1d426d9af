// The engine's one platform seam: the messages it sends to its caller's window.
// On Windows these are the real user32 calls; elsewhere they go straight to the
// stand-in window's procedure, so the code above this header is the same.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "lrxwindow.h"

inline LRESULT SendMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    return window->proc(window, 0, message, wParam, lParam);
}

inline LRESULT SendDlgItemMessageA(HWND window, int controlId, unsigned message, WPARAM wParam,
                                   LPARAM lParam) {
    return window->proc(window, controlId, message, wParam, lParam);
}

// A stand-in that has been destroyed stays readable and says so.
inline bool IsWindow(HWND window) {
    return window->proc(window, 0, WM_NULL, 0, 0) != LRX_WINDOW_GONE;
}
#endif
