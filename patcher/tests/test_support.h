// Test doubles for the patch wizard: a platform that maps Windows paths onto
// a scratch folder and answers registry queries from a table, and a view that
// records what the wizard shows.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kqp_writer.h"
#include "patch_platform.h"
#include "patch_wizard.h"
#include "test_files.h"
#include "wizard_view.h"

namespace kqp::test {

using kqpmake::Bytes;
using Strings = std::vector<std::string>;

using lrx::test::ScratchDir;

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);
// Bytes 0, 1, 2, ... modulo 251, so chunk seams show.
Bytes Pattern(std::size_t size);
Bytes Build(const kqpmake::PatchContent& content);

kqpmake::DirectoryItem RegistryDir(int32_t id, std::string key, int8_t root = 2);
kqpmake::FileItem FileRecordItem(int32_t directoryId, std::string name, int8_t operation,
                                 Bytes payload = {}, uint8_t keyByte = 0);

// Drive X: of a Windows path lives in root/X; a path without a drive is on C.
class FakePlatform : public PatchPlatform {
  public:
    explicit FakePlatform(std::filesystem::path root) : root_(std::move(root)) {}

    std::filesystem::path Local(const std::string& windowsPath) const;
    void MakeDirectory(const std::string& path) const;
    void WriteFile(const std::string& path, const Bytes& bytes) const;
    Bytes ReadFile(const std::string& path) const { return ReadBytes(Local(path)); }
    bool Exists(const std::string& path) const { return std::filesystem::exists(Local(path)); }
    void SetMachineValue(const std::string& key, const std::string& value) {
        registry[{RegistryRoot::kLocalMachine, key}] = value;
    }

    std::optional<std::string> WindowsDirectory() override { return "C:\\WINDOWS"; }
    std::optional<std::string> SystemDirectory() override { return systemDirectory; }
    std::optional<std::string> RegistryDefaultValue(RegistryRoot root,
                                                    const std::string& subkey) override;
    CFile OpenForWriting(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;

    std::optional<std::string> systemDirectory = "C:\\WINDOWS\\SYSTEM";
    std::map<std::pair<RegistryRoot, std::string>, std::string> registry;
    // Paths whose writes go to this local file instead (say /dev/full).
    std::map<std::string, std::string> redirects;
    Strings opened;
    Strings removed;

  private:
    std::filesystem::path root_;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

// Keeps what each control shows now (as the dialog resource starts them) and
// every call as "Name:argument".
class RecordingView : public WizardView {
  public:
    void SetInfoText(const std::string& text) override { Show("Info", text); }
    void SetGaugeRange(int32_t lower, int32_t upper) override {
        Show("Range", std::to_string(lower) + ".." + std::to_string(upper));
    }
    void SetGaugePosition(int32_t position) override { Show("Position", std::to_string(position)); }
    void ShowGauge(bool shown) override { Show("Gauge", shown ? "shown" : "hidden"); }
    void SetNextText(const std::string& text) override { Show("NextText", text); }
    void ShowNext(bool shown) override { Show("Next", shown ? "shown" : "hidden"); }
    void EnableNext(bool on) override { Show("NextOn", on ? "enabled" : "disabled"); }
    void SetCancelText(const std::string& text) override { Show("CancelText", text); }
    void SetMainCaption(const std::string& text) override { Show("Caption", text); }
    MessageAnswer ShowMessage(const std::string& text, const std::string& boxCaption,
                              MessageIcon icon) override;
    void CloseDialog(int result) override { closedWith = result; }
    std::optional<std::string> ChoosePatchFile() override;

    // The arguments of the calls with the name, in order.
    Strings Calls(const std::string& name) const;

    std::map<std::string, std::string> shown = {{"Info", "This is an info window"},
                                                {"Gauge", "shown"},
                                                {"NextText", "&Next"},
                                                {"Next", "shown"},
                                                {"NextOn", "enabled"},
                                                {"CancelText", "&Cancel"},
                                                {"Caption", "KQPatch"}};
    Strings calls;
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;  // for questions; kNo when empty
    std::deque<std::optional<std::string>> choices;
    int chooseCount = 0;
    std::optional<int> closedWith;
    std::function<void()> whileMessageShown;

  private:
    void Show(const std::string& name, const std::string& value) {
        calls.push_back(name + ":" + (shown[name] = value));
    }
};

// A wizard on a fake platform and a recording view, driven as the window
// would drive it.
class WizardHarness {
  public:
    WizardHarness() : platform(scratch.path() / "drives") {}

    void Start(std::optional<std::string> patchFile);
    std::string Patch(const kqpmake::PatchContent& content) { return PatchFile(Build(content)); }
    std::string PatchFile(const Bytes& bytes);
    // Idle calls until one does no work; how many did.
    int RunIdle();
    // A timer tick, then idle calls until idle; how many did work.
    int Tick();
    // Ticks until the run leaves the finding and updating steps.
    void RunToEnd();
    void ExpectOnlyMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) const;
    // The first step's row, with the Next button as a failed step left it.
    void ExpectFirstStep(bool nextUsable) const;

    ScratchDir scratch;
    FakePlatform platform;
    RecordingView view;
    std::unique_ptr<PatchWizard> wizard;
};

}  // namespace kqp::test
