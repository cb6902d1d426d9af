// TWindow: one C++ object per window. The object pointer travels in the last
// parameter of CreateWindowEx and is stored at WM_NCCREATE (dialogs: at
// WM_INITDIALOG in DWLP_USER; system controls: SetWindowSubclass); it is
// cleared at WM_NCDESTROY, and messages that arrive before it is known get
// the default processing.
//
// A message reaches a member like this: the window procedure finds the
// object, a command goes through RouteCommand (a frame asks its client
// first), anything else through the object's response table chain; what the
// main window leaves unhandled is offered to the application's table; the
// rest gets the default processing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dc.h"
#include "event_handler.h"

namespace lrx::fw {

class TApplication;

struct TWindowAttr {
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = CW_USEDEFAULT;
    int Y = CW_USEDEFAULT;
    int W = CW_USEDEFAULT;
    int H = CW_USEDEFAULT;
    int Id = 0;            // child windows: the control id
    HMENU Menu = nullptr;  // top-level windows: the menu bar
};

class TWindow : public TEventHandler {
  public:
    // Top-level (overlapped) without a parent, a visible child with one.
    explicit TWindow(TWindow* parent, const char* title = nullptr);
    ~TWindow() override;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    static const TResponseTable& Table();
    const TResponseTable& Responses() const override { return Table(); }

    TWindowAttr Attr;

    // Creates the window; its SetupWindow then creates the child objects'
    // windows. True when the window exists.
    virtual bool Create();
    HWND GetHandle() const { return Handle; }
    TWindow* GetParentObject() const { return Parent; }
    // Re-parents the object (before its window exists).
    void SetParentObject(TWindow* parent);
    TApplication* GetApplication() const;
    bool IsMainWindow() const;

    // Called once the window exists; creates the children's windows.
    virtual void SetupWindow();
    // Called while the window is being destroyed (WM_DESTROY).
    virtual void CleanupWindow() {}
    virtual void Paint(TDC& dc, bool erase, const RECT& rect);
    // True when this window and all its children agree to close.
    virtual bool CanClose();
    // Asks CanClose, then destroys the window. Dialogs end with `result`.
    virtual void CloseWindow(int result = 0);
    // Idle processing; the default asks every child. True asks for another call.
    virtual bool IdleAction(long idleCount);
    virtual HACCEL GetAccelerators() const { return nullptr; }
    // Called by a frame that adopts this window as its client.
    virtual void PrepareAsClient();

    // Small conveniences over the window's handle.
    void SetCaption(const char* text);
    std::string GetCaption() const;
    void Show(int showCommand);
    bool IsVisible() const;
    void Enable(bool enabled);
    bool IsEnabled() const;
    void Invalidate(bool erase = true);
    RECT GetClientRect() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A message box owned by this window, through the prompt seam.
    int MessageBox(const char* text, const char* caption, UINT type = MB_OK);
    // Sets a command's state in the application's enabler table.
    void EnableCommand(int commandId, bool enabled);

    // Routes one message as described at the top; false: nobody took it.
    bool Route(TMsg& msg);

  protected:
    // What the system would have done with the message being handled.
    virtual LRESULT DefaultProcessing();
    virtual bool RouteCommand(TMsg& msg) { return Dispatch(msg); }
    virtual void ChildDestroyed(TWindow&) {}
    virtual const char* ClassName() const { return "LrxWindow"; }
    virtual void GetWindowClass(WNDCLASSA& windowClass) const;
    void CreateChildren();

    // Ties the object to a window handle (how depends on the kind of window);
    // Untie clears the tie, so no message reaches the object afterwards.
    enum class TTie { None, UserData, DialogUser, Subclass };
    void Tie(HWND handle, TTie how);
    void Untie();

    LRESULT EvCreate(WPARAM, LPARAM);
    LRESULT EvPaint(WPARAM, LPARAM);
    LRESULT EvClose(WPARAM, LPARAM);
    LRESULT EvDestroy(WPARAM, LPARAM);

    HWND Handle = nullptr;
    std::string Title;
    TWindow* Parent = nullptr;
    std::vector<TWindow*> Children;
    TMsg* CurrentMsg = nullptr;
    bool BeingDestroyed = false;

    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    // Clears the tie at WM_NCDESTROY and tells the parent.
    void AfterNcDestroy();

  private:
    void RegisterWindowClass() const;
    TTie tie_ = TTie::None;
};

// The module whose resources the framework loads (the program's own).
HINSTANCE ProgramInstance();

}  // namespace lrx::fw
