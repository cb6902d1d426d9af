// Response tables: each class lists what it responds to in one static table
// of {message or notification, id, member}; a message is looked up in the
// object's own class table first, then in its base classes' tables.
//
//   const TResponseTable& TMyWindow::Table() {
//       static constexpr TResponseEntry entries[] = {
//           EvMessage<&TMyWindow::EvSize>(WM_SIZE),
//           EvCommand<&TMyWindow::CmAdd>(CM_ADD),
//           EvChild<&TMyWindow::ENChange>(IDC_MAILBOX, EN_CHANGE),
//           EvNotify<&TMyWindow::HeaderClicked>(IDC_HEADER, HDN_ITEMCLICK),
//           EvRegistered<&TMyWindow::CmFileSelected>("MRUFILEMESSAGE"),
//       };
//       static constexpr TResponseTable table{entries, &TWindow::Table};
//       return table;
//   }
//
// A member may take nothing, (WPARAM, LPARAM), or for WM_NOTIFY entries
// (NMHDR&); it may return void or a value, which becomes the message's result.
#pragma once

#include <windows.h>

#include <span>
#include <type_traits>

namespace lrx::fw {

// One message as the handlers see it. Result is what the window procedure
// returns (for dialogs it goes through DWLP_MSGRESULT).
struct TMsg {
    HWND Hwnd;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result = 0;
    bool Handled = true;  // a dialog handler may give the message back to the dialog manager
};

class TEventHandler;
using THandlerFunction = LRESULT (*)(TEventHandler&, TMsg&);

enum class TEntryKind : unsigned char {
    Message,     // any message by number
    Registered,  // a message registered by name (RegisterWindowMessageA)
    Command,     // WM_COMMAND from a menu, accelerator, toolbar or button click
    Child,       // WM_COMMAND carrying a control's notification code (EN_CHANGE)
    Notify,      // WM_NOTIFY from a control (HDN_ITEMCLICK)
};

struct TResponseEntry {
    TEntryKind Kind;
    UINT Code;  // message number or notification code
    UINT Id;    // command or control id
    const char* Name;
    THandlerFunction Handler;

    bool Matches(const TMsg& msg) const;
};

struct TResponseTable {
    std::span<const TResponseEntry> Entries;
    const TResponseTable& (*Base)();  // null at the root
};

class TEventHandler {
  public:
    virtual ~TEventHandler() = default;

    static const TResponseTable& Table();
    virtual const TResponseTable& Responses() const { return Table(); }

    // Runs the first matching entry of this class's table chain. False when
    // no entry matches or the handler gave the message back.
    bool Dispatch(TMsg& msg);
};

namespace detail {

template <class M>
struct MemberOf;
template <class C, class F>
struct MemberOf<F C::*> {
    using Class = C;
};

template <class F>
LRESULT ResultOf(F&& call) {
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        return 0;
    } else {
        return static_cast<LRESULT>(call());
    }
}

template <auto Member>
LRESULT Call(TEventHandler& target, TMsg& msg) {
    using C = typename MemberOf<decltype(Member)>::Class;
    using M = decltype(Member);
    C& self = static_cast<C&>(target);
    if constexpr (std::is_invocable_v<M, C&>) {
        return ResultOf([&] { return (self.*Member)(); });
    } else if constexpr (std::is_invocable_v<M, C&, WPARAM, LPARAM>) {
        return ResultOf([&] { return (self.*Member)(msg.WParam, msg.LParam); });
    } else {
        static_assert(std::is_invocable_v<M, C&, NMHDR&>, "unsupported handler signature");
        return ResultOf([&] { return (self.*Member)(*reinterpret_cast<NMHDR*>(msg.LParam)); });
    }
}

}  // namespace detail

template <auto Member>
constexpr TResponseEntry EvMessage(UINT message) {
    return {TEntryKind::Message, message, 0, nullptr, &detail::Call<Member>};
}
template <auto Member>
constexpr TResponseEntry EvRegistered(const char* name) {
    return {TEntryKind::Registered, 0, 0, name, &detail::Call<Member>};
}
template <auto Member>
constexpr TResponseEntry EvCommand(UINT id) {
    return {TEntryKind::Command, 0, id, nullptr, &detail::Call<Member>};
}
template <auto Member>
constexpr TResponseEntry EvChild(UINT id, UINT notifyCode) {
    return {TEntryKind::Child, notifyCode, id, nullptr, &detail::Call<Member>};
}
template <auto Member>
constexpr TResponseEntry EvNotify(UINT id, UINT notifyCode) {
    return {TEntryKind::Notify, notifyCode, id, nullptr, &detail::Call<Member>};
}

// A command as opposed to a control notification: menu (code 0), accelerator
// (code 1), toolbar or push button (BN_CLICKED, also 0).
inline bool IsCommandMessage(const TMsg& msg) {
    return msg.Message == WM_COMMAND && HIWORD(msg.WParam) <= 1;
}

}  // namespace lrx::fw
