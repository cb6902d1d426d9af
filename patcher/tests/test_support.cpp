#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

namespace kqp::test {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "kqp-";
    if (info) name.append(info->test_suite_name()).append("-").append(info->name());
    name.append("-").append(std::to_string(counter++));
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    path_ = std::filesystem::path(testing::TempDir()) / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

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

std::filesystem::path FakePlatform::Local(const std::string& windowsPath) const {
    std::string rest = windowsPath;
    std::string drive = "C";
    if (rest.size() >= 2 && rest[1] == ':') {
        drive =
            std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0]))));
        rest = rest.substr(2);
    }
    std::filesystem::path local = root_ / drive;
    std::string component;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || rest[i] == '\\' || rest[i] == '/') {
            // The wizard must never hand out a path that climbs.
            EXPECT_NE(component, "..") << windowsPath;
            if (!component.empty() && component != "..") local /= component;
            component.clear();
        } else {
            component += rest[i];
        }
    }
    return local;
}

void FakePlatform::MakeDirectory(const std::string& windowsPath) const {
    std::filesystem::create_directories(Local(windowsPath));
}

void FakePlatform::WriteFile(const std::string& windowsPath, const Bytes& bytes) const {
    std::filesystem::create_directories(Local(windowsPath).parent_path());
    WriteBytes(Local(windowsPath), bytes);
}

Bytes FakePlatform::ReadFile(const std::string& windowsPath) const {
    return ReadBytes(Local(windowsPath));
}

bool FakePlatform::Exists(const std::string& windowsPath) const {
    return std::filesystem::exists(Local(windowsPath));
}

std::optional<std::string> FakePlatform::RegistryDefaultValue(RegistryRoot root,
                                                              const std::string& subkey) {
    queries.emplace_back(root, subkey);
    const auto it = registry.find({root, subkey});
    if (it == registry.end()) return std::nullopt;
    return it->second;
}

CFile FakePlatform::OpenForWriting(const std::string& path) {
    opened.push_back(path);
    const auto redirect = redirects.find(path);
    if (redirect != redirects.end()) return OpenCFile(redirect->second.c_str(), "wb");
    return OpenCFile(Local(path).string().c_str(), "wb");
}

bool FakePlatform::RemoveFile(const std::string& path) {
    removed.push_back(path);
    // A folder is not a file.
    const std::filesystem::path local = Local(path);
    std::error_code ec;
    return std::filesystem::is_regular_file(local, ec) && std::filesystem::remove(local, ec);
}

void RecordingView::SetInfoText(const std::string& text) {
    info = text;
    infoTexts.push_back(text);
    calls.push_back("Info:" + text);
}

void RecordingView::SetGaugeRange(int32_t lower, int32_t upper) {
    gaugeLower = lower;
    gaugeUpper = upper;
    calls.push_back("Range:" + std::to_string(lower) + ".." + std::to_string(upper));
}

void RecordingView::SetGaugePosition(int32_t position) {
    gaugePosition = position;
    positions.push_back(position);
    calls.push_back("Position:" + std::to_string(position));
}

void RecordingView::ShowGauge(bool shown) {
    gaugeShown = shown;
    calls.push_back(std::string("Gauge:") + (shown ? "shown" : "hidden"));
}

void RecordingView::SetNextText(const std::string& text) {
    nextText = text;
    calls.push_back("NextText:" + text);
}

void RecordingView::ShowNext(bool shown) {
    nextShown = shown;
    calls.push_back(std::string("Next:") + (shown ? "shown" : "hidden"));
}

void RecordingView::EnableNext(bool enabled) {
    nextEnabled = enabled;
    calls.push_back(std::string("Next:") + (enabled ? "enabled" : "disabled"));
}

void RecordingView::SetCancelText(const std::string& text) {
    cancelText = text;
    calls.push_back("CancelText:" + text);
}

void RecordingView::SetMainCaption(const std::string& text) {
    caption = text;
    calls.push_back("Caption:" + text);
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

void RecordingView::CloseDialog(int result) {
    closedWith = result;
    calls.push_back("Close:" + std::to_string(result));
}

std::optional<std::string> RecordingView::ChoosePatchFile() {
    ++chooseCount;
    calls.push_back("Choose");
    if (choices.empty()) return std::nullopt;
    std::optional<std::string> choice = choices.front();
    choices.pop_front();
    return choice;
}

std::string WritePatch(const ScratchDir& dir, const kqpmake::PatchContent& content,
                       const std::string& name) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(kqpmake::BuildPatch(content, bytes, error)) << error;
    const std::string path = dir / name;
    WriteBytes(path, bytes);
    return path;
}

kqpmake::DirectoryItem RegistryDir(int32_t id, std::string key, int8_t root) {
    kqpmake::DirectoryItem dir;
    dir.id = id;
    dir.kind = kRegistryKind;
    dir.key = std::move(key);
    dir.root = root;
    return dir;
}

kqpmake::FileItem FileRecordItem(int32_t directoryId, std::string name, int8_t operation,
                                 Bytes payload, uint8_t keyByte) {
    kqpmake::FileItem file;
    file.directoryId = directoryId;
    file.name = std::move(name);
    file.operation = operation;
    file.payload = std::move(payload);
    file.keyByte = keyByte;
    return file;
}

void WizardHarness::Start(std::optional<std::string> patchFile) {
    wizard = std::make_unique<PatchWizard>(platform, view, std::move(patchFile));
    wizard->SetupWindow();
}

int WizardHarness::RunIdle() {
    int worked = 0;
    while (wizard->IdleAction()) {
        // Far more than any test patch needs: a loop that never settles is a bug.
        if (++worked > 100000) {
            ADD_FAILURE() << "idle work never settles";
            break;
        }
    }
    return worked;
}

int WizardHarness::Tick() {
    wizard->TimerTick();
    return RunIdle();
}

int WizardHarness::RunToEnd(int maxTicks) {
    int ticks = 0;
    while ((wizard->step() == kFindingStep || wizard->step() == kUpdatingStep) &&
           !wizard->closed()) {
        if (++ticks > maxTicks) {
            ADD_FAILURE() << "the run does not end";
            break;
        }
        Tick();
    }
    return ticks;
}

}  // namespace kqp::test
