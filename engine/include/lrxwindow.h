/*
 * The window the engine reports to, on platforms without Win32.
 *
 * The engine talks to its caller's window with three messages: WM_SETFOCUS to
 * the window, and WM_SETTEXT and EM_GETLINE to its mailbox control. On Linux a
 * window is any object that starts with this struct: the engine calls proc
 * synchronously, with control 0 for the window itself. A window that has been
 * destroyed answers WM_NULL with LRX_WINDOW_GONE (and must stay readable), as
 * IsWindow fails for a destroyed window on Windows. Hosts normally use
 * lrx::HostWindow (host_window.h) rather than filling this in by hand.
 */
#ifndef LRXWINDOW_H
#define LRXWINDOW_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

struct LrxWindow;
typedef LRESULT (*LrxWindowProc)(struct LrxWindow* window, int controlId, unsigned message,
                                 WPARAM wParam, LPARAM lParam);

struct LrxWindow {
    LrxWindowProc proc;
};

typedef struct LrxWindow* HWND;

#define WM_NULL 0x0000
#define WM_SETFOCUS 0x0007
#define WM_SETTEXT 0x000C
#define EM_GETLINE 0x00C4
#define EN_CHANGE 0x0300

#define LRX_WINDOW_GONE ((LRESULT)-1)

#ifdef __cplusplus
}
#endif

#endif
