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
#include "wizard_view.h"

namespace kqp::test {

using kqpmake::Bytes;

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);
// Content bytes 0, 1, 2, ... modulo 251, so chunk seams show.
Bytes Pattern(std::size_t size);

class FakePlatform : public PatchPlatform {
  public:
    // Drive X: of a Windows path lives in root/X; a path without a drive is
    // on drive C.
    explicit FakePlatform(std::filesystem::path root) : root_(std::move(root)) {}

    std::filesystem::path Local(const std::string& windowsPath) const;
    void MakeDirectory(const std::string& windowsPath) const;
    void WriteFile(const std::string& windowsPath, const Bytes& bytes) const;
    Bytes ReadFile(const std::string& windowsPath) const;
    bool Exists(const std::string& windowsPath) const;

    std::optional<std::string> WindowsDirectory() override { return windowsDirectory; }
    std::optional<std::string> SystemDirectory() override { return systemDirectory; }
    std::optional<std::string> RegistryDefaultValue(RegistryRoot root,
                                                    const std::string& subkey) override;
    CFile OpenForWriting(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;

    std::optional<std::string> windowsDirectory = "C:\\WINDOWS";
    std::optional<std::string> systemDirectory = "C:\\WINDOWS\\SYSTEM";
    std::map<std::pair<RegistryRoot, std::string>, std::string> registry;
    // Paths whose writes go to this local file instead (say /dev/full).
    std::map<std::string, std::string> redirects;

    std::vector<std::pair<RegistryRoot, std::string>> queries;
    std::vector<std::string> opened;
    std::vector<std::string> removed;

  private:
    std::filesystem::path root_;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

class RecordingView : public WizardView {
  public:
    void SetInfoText(const std::string& text) override;
    void SetGaugeRange(int32_t lower, int32_t upper) override;
    void SetGaugePosition(int32_t position) override;
    void ShowGauge(bool shown) override;
    void SetNextText(const std::string& text) override;
    void ShowNext(bool shown) override;
    void EnableNext(bool enabled) override;
    void SetCancelText(const std::string& text) override;
    void SetMainCaption(const std::string& caption) override;
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) override;
    void CloseDialog(int result) override;
    std::optional<std::string> ChoosePatchFile() override;

    // What the controls show now; the defaults are the dialog resource's.
    std::string info = "This is an info window";
    bool gaugeShown = true;
    int32_t gaugeLower = 0;
    int32_t gaugeUpper = 100;
    int32_t gaugePosition = 0;
    std::string nextText = "&Next";
    bool nextShown = true;
    bool nextEnabled = true;
    std::string cancelText = "&Cancel";
    std::string caption = "KQPatch";

    // Every call, as "Name:argument", for checking what a row touches.
    std::vector<std::string> calls;
    std::vector<std::string> infoTexts;
    std::vector<int32_t> positions;
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;  // for questions; kNo when empty
    std::deque<std::optional<std::string>> choices;
    int chooseCount = 0;
    std::optional<int> closedWith;
    std::function<void()> whileMessageShown;
};

// Builds a patch with kqpmake and writes it into the folder.
std::string WritePatch(const ScratchDir& dir, const kqpmake::PatchContent& content,
                       const std::string& name = "test.kqp");

kqpmake::DirectoryItem RegistryDir(int32_t id, std::string key, int8_t root = 2);
kqpmake::FileItem FileRecordItem(int32_t directoryId, std::string name, int8_t operation,
                                 Bytes payload = {}, uint8_t keyByte = 0);

// A wizard on a fake platform and a recording view, driven as the window
// would drive it.
class WizardHarness {
  public:
    WizardHarness() : platform(scratch.path() / "drives") {}

    void Start(std::optional<std::string> patchFile);
    // Idle calls until one does no work; how many did.
    int RunIdle();
    // A timer tick followed by idle calls until idle; how many did work.
    int Tick();
    // Ticks until the run leaves the finding and updating steps; how many.
    int RunToEnd(int maxTicks = 1000);
    std::string Patch(const kqpmake::PatchContent& content) { return WritePatch(scratch, content); }
    const ShownMessage* LastMessage() const {
        return view.messages.empty() ? nullptr : &view.messages.back();
    }

    ScratchDir scratch;
    FakePlatform platform;
    RecordingView view;
    std::unique_ptr<PatchWizard> wizard;
};

}  // namespace kqp::test
