// How messages reach members: response tables, command routing from the
// frame to its client and the application, control notifications and the
// application's share of the main window's messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls.h"
#include "test_app.h"
#include "test_resources.h"

namespace lrx::fw::test {
namespace {

constexpr UINT WM_ANSWER = WM_USER + 5;
constexpr int IDC_EDIT = 900;
constexpr int IDC_BUTTON = 901;
constexpr int IDC_HEADER = 1852;

struct Counts {
    int clientShared = 0, appShared = 0, appOnly = 0;
    int editChanges = 0, buttonClicks = 0, registered = 0;
    std::vector<int> headerClicks;
    std::vector<std::string> dropped;
};

class TClient : public TWindow {
  public:
    explicit TClient(Counts& counts)
        : TWindow(nullptr),
          Edit(this, IDC_EDIT, "", 10, 40, 100, 20),
          Button(this, IDC_BUTTON, "Press", 120, 40, 60, 20),
          Header(this, IDC_HEADER, 0, 0, 0, 0),
          counts_(counts) {
        Header.Attr.Style |= HDS_BUTTONS;
    }

    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvCommand<&TClient::CmShared>(CM_SHARED),
            EvChild<&TClient::EditChanged>(IDC_EDIT, EN_CHANGE),
            EvCommand<&TClient::ButtonClicked>(IDC_BUTTON),
            EvNotify<&TClient::HeaderClicked>(IDC_HEADER, HDN_ITEMCLICK),
            EvMessage<&TClient::Answer>(WM_ANSWER),
            EvRegistered<&TClient::Registered>("LrxFrameworkTestMessage"),
        };
        static constexpr TResponseTable table{entries, &TWindow::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override {
        TWindow::SetupWindow();
        for (const char* text : {"Name", "Raw Size", "Packed Size"}) Header.Add(text);
        Header.Layout(SWP_SHOWWINDOW);
    }

    TEdit Edit;
    TButton Button;
    TColumnHeader Header;

  private:
    void CmShared() { ++counts_.clientShared; }
    void EditChanged() { ++counts_.editChanges; }
    void ButtonClicked() { ++counts_.buttonClicks; }
    void HeaderClicked(NMHDR& n) { counts_.headerClicks.push_back(TColumnHeader::ClickedItem(n)); }
    LRESULT Answer(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }
    void Registered() { ++counts_.registered; }

    Counts& counts_;
};

class TDispatchApp : public TTestApp {
  public:
    Counts counts;
    TClient* client = nullptr;

    TDispatchApp() {
        MakeClient = [this] {
            auto window = std::make_unique<TClient>(counts);
            client = window.get();
            return window;
        };
    }
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvCommand<&TDispatchApp::CmShared>(CM_SHARED),
            EvCommand<&TDispatchApp::CmAppOnly>(CM_APP_ONLY),
            EvMessage<&TDispatchApp::EvDropFiles>(WM_DROPFILES),
        };
        static constexpr TResponseTable table{entries, &TTestApp::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

  private:
    void CmShared() { ++counts.appShared; }
    void CmAppOnly() { ++counts.appOnly; }
    void EvDropFiles(WPARAM drop, LPARAM) {
        auto handle = reinterpret_cast<HDROP>(drop);
        const UINT count = ::DragQueryFileA(handle, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::string path(::DragQueryFileA(handle, i, nullptr, 0) + 1, '\0');
            path.resize(::DragQueryFileA(handle, i, path.data(), static_cast<UINT>(path.size())));
            counts.dropped.push_back(path);
        }
        ::DragFinish(handle);
    }
};

// A WM_DROPFILES payload as the shell builds it: DROPFILES, then the paths,
// each NUL-terminated, and one more NUL.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
    std::string names;
    for (const auto& path : paths) names += path + '\0';
    names += '\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    ::GlobalUnlock(memory);
    return memory;
}

// Commands go to the client, then the frame, then the application; control
// notifications, results, registered messages and dropped files reach their
// members; the ties end with the windows.
TEST(FrameworkDispatch, MessagesReachTheirMembers) {
    TDispatchApp app;
    app.Steps.push_back([&] {
        HWND frame = app.GetMainWindow()->GetHandle();
        for (UINT id : {CM_SHARED, CM_FRAME_ONLY, CM_APP_ONLY}) {
            ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        }
        ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_SHARED, 1), 0);  // as by accelerator
        TClient& c = *app.client;
        c.Edit.SetText("999");
        c.Button.SendMessage(BM_CLICK);
        EXPECT_EQ(c.SendMessage(WM_ANSWER, 40, 2), 42);
        c.SendMessage(::RegisterWindowMessageA("LrxFrameworkTestMessage"));
        // A click on the second item.
        HWND header = c.Header.GetHandle();
        EXPECT_GT(c.Header.Layout(), 0);  // the client has its size now
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 5));
        ::SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(150, 5));
        EXPECT_TRUE(::GetWindowLongPtrA(frame, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        HGLOBAL drop = MakeDrop({"C:\\replays\\one.rpl", "C:\\replays\\two.rpl"});
        app.GetMainWindow()->PostMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop));
    });
    EXPECT_EQ(app.RunSteps(), 0);
    EXPECT_EQ(app.counts.clientShared, 2);
    EXPECT_EQ(app.counts.appShared, 0);
    EXPECT_EQ(app.Frame->Ran, (std::map<UINT, int>{{CM_FRAME_ONLY, 1}}));
    EXPECT_EQ(app.counts.appOnly, 1);
    EXPECT_EQ(app.counts.editChanges, 1);
    EXPECT_EQ(app.counts.buttonClicks, 1);
    EXPECT_EQ(app.counts.registered, 1);
    EXPECT_EQ(app.counts.headerClicks, std::vector<int>{1});
    EXPECT_EQ(app.counts.dropped,
              (std::vector<std::string>{"C:\\replays\\one.rpl", "C:\\replays\\two.rpl"}));
    EXPECT_EQ(app.client->GetHandle(), nullptr);
    EXPECT_EQ(app.client->Edit.GetHandle(), nullptr);
    EXPECT_EQ(app.Frame->GetHandle(), nullptr);
}

}  // namespace
}  // namespace lrx::fw::test
