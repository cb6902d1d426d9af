#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace kqp::test {

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i % 251);
    return bytes;
}

Bytes Build(const kqpmake::PatchContent& content) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(kqpmake::BuildPatch(content, bytes, error)) << error;
    return bytes;
}

kqpmake::DirectoryItem RegistryDir(int32_t id, std::string key, int8_t root) {
    return {id, kRegistryKind, std::move(key), std::nullopt, root};
}

kqpmake::FileItem FileRecordItem(int32_t directoryId, std::string name, int8_t operation,
                                 Bytes payload, uint8_t keyByte) {
    return {directoryId, std::move(name), operation, std::nullopt, keyByte, std::move(payload)};
}

std::filesystem::path FakePlatform::Local(const std::string& windowsPath) const {
    std::string rest = windowsPath;
    std::string drive = "C";
    if (rest.size() >= 2 && rest[1] == ':') {
        drive.assign(1, static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0]))));
        rest.erase(0, 2);
    }
    std::replace(rest.begin(), rest.end(), '\\', '/');
    std::filesystem::path local = root_ / drive;
    for (const auto& component : std::filesystem::path(rest).relative_path()) {
        // The wizard must never hand out a path that climbs.
        EXPECT_NE(component, "..") << windowsPath;
        if (!component.empty() && component != "..") local /= component;
    }
    return local;
}

void FakePlatform::MakeDirectory(const std::string& path) const {
    std::filesystem::create_directories(Local(path));
}

void FakePlatform::WriteFile(const std::string& path, const Bytes& bytes) const {
    std::filesystem::create_directories(Local(path).parent_path());
    WriteBytes(Local(path), bytes);
}

std::optional<std::string> FakePlatform::RegistryDefaultValue(RegistryRoot root,
                                                              const std::string& subkey) {
    const auto it = registry.find({root, subkey});
    return it == registry.end() ? std::nullopt : std::optional<std::string>(it->second);
}

CFile FakePlatform::OpenForWriting(const std::string& path) {
    opened.push_back(path);
    const auto redirect = redirects.find(path);
    const std::string local = redirect != redirects.end() ? redirect->second : Local(path).string();
    return OpenCFile(local.c_str(), "wb");
}

bool FakePlatform::RemoveFile(const std::string& path) {
    removed.push_back(path);
    std::error_code ec;
    return std::filesystem::is_regular_file(Local(path), ec) &&
           std::filesystem::remove(Local(path), ec);
}

MessageAnswer RecordingView::ShowMessage(const std::string& text, const std::string& boxCaption,
                                         MessageIcon icon) {
    messages.push_back({text, boxCaption, icon});
    calls.push_back("Message:" + text);
    if (whileMessageShown) whileMessageShown();
    if (icon != MessageIcon::kQuestion) return MessageAnswer::kOk;
    if (answers.empty()) return MessageAnswer::kNo;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> RecordingView::ChoosePatchFile() {
    ++chooseCount;
    if (choices.empty()) return std::nullopt;
    std::optional<std::string> choice = choices.front();
    choices.pop_front();
    return choice;
}

Strings RecordingView::Calls(const std::string& name) const {
    Strings arguments;
    for (const std::string& call : calls) {
        if (call.starts_with(name + ":")) arguments.push_back(call.substr(name.size() + 1));
    }
    return arguments;
}

void WizardHarness::Start(std::optional<std::string> patchFile) {
    wizard = std::make_unique<PatchWizard>(platform, view, std::move(patchFile));
    wizard->SetupWindow();
}

std::string WizardHarness::PatchFile(const Bytes& bytes) {
    WriteBytes(scratch / "test.kqp", bytes);
    return scratch / "test.kqp";
}

int WizardHarness::RunIdle() {
    int worked = 0;
    // Far more than any test patch needs: a loop that never settles is a bug.
    while (wizard->IdleAction() && ++worked < 100000) {
    }
    EXPECT_LT(worked, 100000) << "idle work never settles";
    return worked;
}

int WizardHarness::Tick() {
    wizard->TimerTick();
    return RunIdle();
}

void WizardHarness::RunToEnd() {
    for (int ticks = 0; wizard->step() == kFindingStep || wizard->step() == kUpdatingStep;
         ++ticks) {
        if (wizard->closed() || ticks > 1000) {
            ADD_FAILURE() << "the run does not end";
            return;
        }
        Tick();
    }
}

void WizardHarness::ExpectOnlyMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon) const {
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, text);
    EXPECT_EQ(view.messages[0].caption, caption);
    EXPECT_EQ(view.messages[0].icon, icon);
}

void WizardHarness::ExpectFirstStep(bool nextUsable) const {
    EXPECT_EQ(wizard->step(), kChooseStep);
    const std::map<std::string, std::string> row = {
        {"Info", "Select the patch file (.kqp) to be used.\nPress Next to begin."},
        {"Gauge", "hidden"},
        {"NextText", "&Next"},
        {"Next", nextUsable ? "shown" : "hidden"},
        {"NextOn", nextUsable ? "enabled" : "disabled"},
        {"CancelText", "&Close"}};
    for (const auto& [control, value] : row) EXPECT_EQ(view.shown.at(control), value) << control;
}

}  // namespace kqp::test
