// A patch file of arbitrary bytes, applied by the wizard core from start to
// end on a scratch folder: the Windows directory C:\WINDOWS, the System
// directory C:\WINDOWS\SYSTEM, and every registry key naming C:\GAME\RUN.EXE.
// Nothing may crash or hang, every file the applier writes or removes must
// lie below one of those three directories (judged the way Windows resolves
// a path), and nothing may appear anywhere else in the scratch tree.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_support.h"
#include "patch_platform.h"
#include "patch_wizard.h"
#include "wizard_view.h"

using namespace kqp;
namespace fs = std::filesystem;

namespace {

struct Scratch {
    fs::path base, patch, drives;
};

const Scratch& TheScratch() {
    static const Scratch scratch = [] {
        const std::string pattern = lrx::fuzz::MakeScratchFolder("lrx-patch-fuzz");
        Scratch s{pattern, fs::path(pattern) / "patch.kqp", fs::path(pattern) / "drives"};
        std::atexit([] { fs::remove_all(TheScratch().base); });
        return s;
    }();
    return scratch;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Resolves a Windows path as Windows would (trailing dots and spaces of a
// component dropped, "." and ".." applied) into drive and components.
std::vector<std::string> Resolve(const std::string& path) {
    std::string drive = "C";
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        drive = Upper(path.substr(0, 1));
        start = 2;
    }
    std::vector<std::string> parts = {drive};
    std::string component;
    for (std::size_t i = start; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\' && path[i] != '/') {
            component += path[i];
            continue;
        }
        if (component == "..") {
            lrx::fuzz::Check(parts.size() > 1, "a path climbs above its drive");
            parts.pop_back();
        } else {
            while (!component.empty() && (component.back() == '.' || component.back() == ' ')) {
                component.pop_back();
            }
            if (!component.empty()) parts.push_back(component);
        }
        component.clear();
    }
    return parts;
}

class ScratchPlatform : public PatchPlatform {
  public:
    std::optional<std::string> WindowsDirectory() override { return "C:\\WINDOWS"; }
    std::optional<std::string> SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM"; }
    std::optional<std::string> RegistryDefaultValue(RegistryRoot, const std::string&) override {
        return "C:\\GAME\\RUN.EXE";
    }
    CFile OpenForWriting(const std::string& path) override {
        return OpenCFile(Local(path).c_str(), "wb");
    }
    bool RemoveFile(const std::string& path) override {
        return std::remove(Local(path).c_str()) == 0;
    }

  private:
    // The local file for a target, after checking it lies in a directory
    // the patch may write to.
    static std::string Local(const std::string& path) {
        const std::vector<std::string> parts = Resolve(path);
        const bool inWindows = parts.size() >= 3 && parts[0] == "C" && Upper(parts[1]) == "WINDOWS";
        const bool inGame = parts.size() >= 3 && parts[0] == "C" && Upper(parts[1]) == "GAME";
        lrx::fuzz::Check(inWindows || inGame, "a target outside the patch's directories");
        fs::path local = TheScratch().drives;
        for (const std::string& part : parts) local /= part;
        return local.string();
    }
};

class SilentView : public WizardView {
  public:
    void SetInfoText(const std::string&) override {}
    void SetGaugeRange(int32_t lower, int32_t upper) override {
        lrx::fuzz::Check(upper > lower, "an empty gauge range");
    }
    void SetGaugePosition(int32_t) override {}
    void ShowGauge(bool) override {}
    void SetNextText(const std::string&) override {}
    void ShowNext(bool) override {}
    void EnableNext(bool) override {}
    void SetCancelText(const std::string&) override {}
    void SetMainCaption(const std::string&) override {}
    MessageAnswer ShowMessage(const std::string&, const std::string&, MessageIcon) override {
        return MessageAnswer::kOk;
    }
    void CloseDialog(int) override {}
    std::optional<std::string> ChoosePatchFile() override { return std::nullopt; }
};

std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Scratch& s = TheScratch();
    fs::remove_all(s.drives);
    fs::create_directories(s.drives / "C" / "WINDOWS" / "SYSTEM");
    fs::create_directories(s.drives / "C" / "GAME");
    std::ofstream(s.drives / "C" / "WINDOWS" / "OLD.DLL") << "old";
    {
        std::ofstream file(s.patch, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        lrx::fuzz::Check(file.good(), "cannot write the patch file");
    }

    ScratchPlatform platform;
    SilentView view;
    PatchWizard wizard(platform, view, s.patch.string());
    wizard.SetupWindow();
    // Every tick completes an item or ends the run, and every item but the
    // two built-in directories takes bytes of the file.
    for (std::size_t tick = 0; tick < size + 4; ++tick) {
        if (wizard.step() != kFindingStep && wizard.step() != kUpdatingStep) break;
        wizard.TimerTick();
        while (wizard.IdleAction()) {
        }
    }
    lrx::fuzz::Check(wizard.step() == kChooseStep || wizard.step() == kCompletedStep,
                     "the run did not end");

    lrx::fuzz::Check(NamesIn(s.base) == std::set<std::string>{"drives", "patch.kqp"},
                     "a file appeared beside the patch");
    lrx::fuzz::Check(NamesIn(s.drives) == std::set<std::string>{"C"}, "a new drive appeared");
    lrx::fuzz::Check(NamesIn(s.drives / "C") == std::set<std::string>{"GAME", "WINDOWS"},
                     "a file appeared at the root of the drive");
    return 0;
}
