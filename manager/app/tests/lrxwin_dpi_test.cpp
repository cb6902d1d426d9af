// LRXWin at the screen's dpi. The window is measured in-process at the test
// prefix's 96 dpi, and again in a copy of this test program started while
// the user's LogPixels value says 144 (the system reads it when a process
// starts; it is put back as soon as the copy has ended, so other tests keep
// 96). The resources are read as Windows reads them: the manifest that asks
// not to be stretched, and an icon drawn at each size the system asks for.
// (Under wine every program is dpi-aware, manifest or not: only the
// manifest's text shows what Windows will do.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "command_ids.h"
#include "dialog.h"
#include "dpi.h"
#include "dpi_resources.h"
#include "help.h"
#include "lrxwin_ids.h"
#include "lrxwin_test_app.h"

namespace lrx::mgr::test {
namespace {

constexpr char kReportVariable[] = "LRX_DPI_REPORT";
constexpr DWORD kLimitMs = 60000;

struct Measures {
    int dpi = 0;
    int row = 0;     // the row height, rounded to whole pixels
    int header = 0;  // the header's height
    std::array<double, 6> stops{};
    int buttonWidth = 0;
    int buttonHeight = 0;
    int glyphWidth = 0;  // what the Open button's art covers
    int aboutWidth = 0;  // the About box's client area
    int aboutHeight = 0;
    int aboutIcon = 0;     // the width of its icon
    int aboutPicture = 0;  // and of its picture

    std::string Text() const {
        std::ostringstream out;
        out << dpi << ' ' << row << ' ' << header;
        for (double stop : stops) out << ' ' << stop;
        out << ' ' << buttonWidth << ' ' << buttonHeight << ' ' << glyphWidth << ' ' << aboutWidth
            << ' ' << aboutHeight << ' ' << aboutIcon << ' ' << aboutPicture;
        return out.str();
    }
    static Measures Parse(const std::string& text) {
        Measures m;
        std::istringstream in(text);
        in >> m.dpi >> m.row >> m.header;
        for (double& stop : m.stops) in >> stop;
        in >> m.buttonWidth >> m.buttonHeight >> m.glyphWidth >> m.aboutWidth >> m.aboutHeight >>
            m.aboutIcon >> m.aboutPicture;
        return m;
    }
};

int WidthOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

// The user's LogPixels value (HKCU\Control Panel\Desktop, which wine reads
// before the machine-wide one), set for the object's life and then put back
// as it was, absent included.
class ScopedLogPixels {
  public:
    explicit ScopedLogPixels(DWORD dpi) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = ::RegQueryValueExA(key_, "LogPixels", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~ScopedLogPixels() {
        if (had_) {
            Set(old_);
        } else {
            ::RegDeleteValueA(key_, "LogPixels");
        }
        ::RegCloseKey(key_);
    }

  private:
    void Set(DWORD dpi) {
        ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                         sizeof dpi);
    }
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

class LRXWinDpiTest : public LRXWinTest {
  protected:
    Measures Measure() {
        Measures m;
        m.dpi = fw::ScreenDpi();
        Answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
            if (prompt.Kind != fw::TPromptKind::Dialog) return IDCANCEL;
            HWND about = prompt.Dialog->GetHandle();
            RECT client{};
            ::GetClientRect(about, &client);
            m.aboutWidth = client.right;
            m.aboutHeight = client.bottom;
            for (HWND child = ::GetWindow(about, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                const LONG type = ::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
                if (type == SS_ICON) m.aboutIcon = WidthOf(child);
                if (type == SS_BITMAP) m.aboutPicture = WidthOf(child);
            }
            return IDOK;
        };
        TLRXWinTestApp app;
        app.Steps.push_back([&] {
            TLRXWindow& list = app.List();
            ::UpdateWindow(list.GetHandle());  // the first paint fixes the row height
            const ListGeometry& g = list.Model().Geometry();
            // Pixels in thousandths: ToPixels truncates to whole ones.
            const auto pixels = [&](int twips) { return g.ToPixels(twips * 1000) / 1000.0; };
            m.row = static_cast<int>(std::lround(pixels(g.LineHeight())));
            m.header = list.HeaderHeight();
            HWND header = ::GetDlgItem(list.GetHandle(), IDC_COLUMNHEADER);
            std::array<int, 5> widths{};
            for (int i = 0; i < 5; ++i) {
                RECT item{};
                ::SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(&item));
                widths[static_cast<std::size_t>(i)] = item.right - item.left;
            }
            const ColumnStops stops = g.Stops(widths);
            for (std::size_t i = 0; i < stops.x.size(); ++i) m.stops[i] = pixels(stops.x[i]);
            auto* frame = static_cast<fw::TDecoratedFrame*>(app.GetMainWindow());
            fw::TControlBar& bar = *frame->GetControlBar();
            RECT button = bar.ButtonRect(kCmFileNew);
            m.buttonWidth = button.right - button.left;
            m.buttonHeight = button.bottom - button.top;
            // The columns where the art differs from the button face (inside
            // the edge a hovered button gets).
            button = bar.ButtonRect(kCmFileOpen);
            ::InflateRect(&button, -2, -2);
            ::UpdateWindow(bar.GetHandle());
            HDC shown = ::GetDC(bar.GetHandle());
            const std::vector<COLORREF> drawn = PixelsOf(shown, button);
            ::ReleaseDC(bar.GetHandle(), shown);
            const int width = button.right - button.left;
            int first = width, last = -1;
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                if (drawn[i] == ::GetSysColor(COLOR_BTNFACE)) continue;
                first = std::min(first, static_cast<int>(i) % width);
                last = std::max(last, static_cast<int>(i) % width);
            }
            m.glyphWidth = last - first + 1;
            ::SendMessageA(app.Frame(), WM_COMMAND, kCmHelpAbout, 0);
        });
        app.RunSteps();
        return m;
    }

    // This test again in a copy of the program at `dpi`; what it measured.
    Measures MeasureAt(DWORD dpi) {
        const std::string report = scratch / "measures.txt", log = scratch / "copy.log";
        char program[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, program, MAX_PATH);
        const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
        std::string commandLine = "\"" + std::string(program) +
                                  "\" --gtest_filter=" + test.test_suite_name() + "." + test.name();
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE output = ::CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        PROCESS_INFORMATION process{};
        DWORD status = 99;
        {
            const ScopedLogPixels large(dpi);
            ::SetEnvironmentVariableA(kReportVariable, report.c_str());
            const bool started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr,
                                                  TRUE, 0, nullptr, nullptr, &startup, &process);
            ::SetEnvironmentVariableA(kReportVariable, nullptr);
            ::CloseHandle(output);
            if (!started) {
                ADD_FAILURE() << "cannot start " << commandLine;
                return {};
            }
            if (::WaitForSingleObject(process.hProcess, kLimitMs) != WAIT_OBJECT_0) {
                ::TerminateProcess(process.hProcess, 99);
                ::WaitForSingleObject(process.hProcess, kLimitMs);
            }
            ::GetExitCodeProcess(process.hProcess, &status);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        const lrx::test::Bytes text = lrx::test::ReadFile(log);
        EXPECT_EQ(status, 0u) << std::string(text.begin(), text.end());
        const lrx::test::Bytes measures = lrx::test::ReadFile(report);
        return Measures::Parse(std::string(measures.begin(), measures.end()));
    }
};

TEST_F(LRXWinDpiTest, ListToolbarAndAboutBoxGrowWithTheScreenDpi) {
    const Measures here = Measure();
    if (const char* report = std::getenv(kReportVariable)) {  // the copy MeasureAt started
        const std::string text = here.Text();
        lrx::test::WriteFile(report, lrx::test::Bytes(text.begin(), text.end()));
        return;
    }
    ASSERT_EQ(here.dpi, 96) << "the test prefix runs at 96 dpi";
    const Measures large = MeasureAt(144);
    ASSERT_EQ(large.dpi, 144) << large.Text();
    SCOPED_TRACE("96 dpi: " + here.Text() + "; 144 dpi: " + large.Text());
    EXPECT_NEAR(large.row, 1.5 * here.row, 1.0);
    EXPECT_NEAR(large.header, 1.5 * here.header, 1.0);
    for (std::size_t i = 0; i < here.stops.size(); ++i) {
        EXPECT_NEAR(large.stops[i], 1.5 * here.stops[i], 1.0) << "stop " << i;
    }
    EXPECT_GE(large.buttonWidth * 2, here.buttonWidth * 3);
    EXPECT_GE(large.buttonHeight * 2, here.buttonHeight * 3);
    EXPECT_NEAR(large.glyphWidth, 1.5 * here.glyphWidth, 1.0);
    EXPECT_GT(here.glyphWidth, 10);
    // Dialog units follow the dialog font's average character, whole pixels
    // wide (here 357 x 111 pixels at 96 dpi, 510 x 162 at 144).
    EXPECT_NEAR(large.aboutWidth, 1.5 * here.aboutWidth, 0.1 * here.aboutWidth);
    EXPECT_NEAR(large.aboutHeight, 1.5 * here.aboutHeight, 0.1 * here.aboutHeight);
    EXPECT_EQ(large.aboutIcon * 2, here.aboutIcon * 3);
    EXPECT_EQ(large.aboutPicture * 2, here.aboutPicture * 3);
}

TEST(LRXWinResources, TheProgramAsksNotToBeStretchedAndHasAnIconForEverySize) {
    HMODULE program = ::LoadLibraryExA(fw::ProgramFolderFile("LRXWin.exe").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    fw::test::ExpectDpiAwareWithIcons(program, IDI_LRXWIN);
    ::FreeLibrary(program);
}

}  // namespace
}  // namespace lrx::mgr::test
