#include "archive_commands.h"

#include "command_ids.h"
#include "lrxpack.h"

namespace lrx::mgr {
namespace {

constexpr const char* kOpenError = "Open Error";
constexpr const char* kAddError = "Add File Error";
constexpr const char* kDeleteError = "Delete Files Error";
constexpr const char* kExtractError = "Extract Error";
constexpr unsigned kAddReplayFlags = 0x1004;  // OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
constexpr int kAskOverwrite = 3;

// Names as the engine takes them: an array of pointers into owned copies.
class NameArray {
  public:
    explicit NameArray(std::vector<std::string> names) : names_(std::move(names)) {
        for (std::string& name : names_) pointers_.push_back(name.data());
    }
    int Count() const { return static_cast<int>(pointers_.size()); }
    char** Pointers() { return pointers_.empty() ? nullptr : pointers_.data(); }

  private:
    std::vector<std::string> names_;
    std::vector<char*> pointers_;
};

}  // namespace

// Marks the commands busy for the length of one engine call.
class ArchiveCommands::EngineCall {
  public:
    explicit EngineCall(ArchiveCommands& commands) : busy_(commands.busy_) { busy_ = true; }
    ~EngineCall() { busy_ = false; }
    EngineCall(const EngineCall&) = delete;
    EngineCall& operator=(const EngineCall&) = delete;

  private:
    bool& busy_;
};

bool ArchiveCommands::RefusesCommand(int commandId) const {
    return busy_ && commandId != kCmHelpContents && commandId != kCmHelpUsing &&
           commandId != kCmHelpAbout;
}

void ArchiveCommands::ShowEngineError(int code, const char* caption) {
    view_.ShowMessage(fUwu(code), caption, MessageStyle::kError);
}

void ArchiveCommands::CmFileNew() {
    if (busy_) return;
    ArchiveList& list = model_.List();
    list.SetFileCount(0);
    list.DropRows();
    list.SetArchiveOpen(false);
    view_.SetCaption(kClosedCaption);
    // The thumb too: left where it was, it would disagree with the rows.
    model_.Geometry().SetTopLine(0);
    view_.SetScrollPosition(0);
    view_.RepaintList();
}

bool ArchiveCommands::DoOpenFile(const std::string& path) {
    if (busy_) return false;
    if (path.size() > kMaxArchivePath) {
        view_.ShowMessage(kPathTooLongText, kOpenError, MessageStyle::kError);
        return false;
    }
    view_.CmFileNew();
    ArchiveList& list = model_.List();
    int code;
    {
        EngineCall call(*this);
        code = list.List(path);
    }
    if (code != LRX_OK) {
        ShowEngineError(code, kOpenError);
        return false;
    }
    list.SetArchivePath(path);
    list.SetFileCount(view_.CountFiles());
    view_.SetStatusText(StatusLine(path, list.FileCount()));
    view_.SetCaption(OpenCaption(path));
    list.SetArchiveOpen(true);
    view_.SortFiles();
    view_.RepaintList();
    return true;
}

void ArchiveCommands::CmAddReplay() {
    if (busy_) return;
    const auto replay = view_.ChooseFile({"Add Replay", kAddReplayFlags, kReplayFilter, "rpl"});
    if (!replay) return;
    view_.DoAddReplay(*replay, nullptr);
    view_.SortFiles();
    view_.RepaintList();
}

bool ArchiveCommands::DoAddReplay(const std::string& replayPath, DropProgressDialog* dropDialog) {
    if (busy_) return false;
    ArchiveList& list = model_.List();
    if (!list.ArchiveOpen()) {
        const auto archive = view_.ChooseFile({"New Archive", 0, kNewArchiveFilter, "lrx"});
        if (!archive) return false;
        if (!list.SetArchivePath(*archive)) {
            view_.ShowMessage(kPathTooLongText, kAddError, MessageStyle::kError);
            return false;
        }
    }
    std::string archive = list.ArchivePath();
    std::string replay = replayPath;
    int code;
    if (dropDialog) {
        EngineCall call(*this);
        code = sJTU(archive.data(), replay.data(), dropDialog->Handle(), false);
    } else {
        const auto dialog = view_.CreateProgress();
        {
            EngineCall call(*this);
            code = sJTU(archive.data(), replay.data(), dialog ? dialog->Handle() : nullptr, false);
        }
        if (dialog) dialog->Close();
    }
    if (code != LRX_OK) {
        ShowEngineError(code, kAddError);
        return false;
    }
    return Refresh(kAddError);
}

bool ArchiveCommands::Refresh(const char* errorCaption) {
    ArchiveList& list = model_.List();
    int code;
    {
        EngineCall call(*this);
        code = list.List(list.ArchivePath());
    }
    if (code != LRX_OK) {
        // The view is emptied first: a repaint under the box must not reach
        // rows of the listing the engine has just freed.
        view_.CmFileNew();
        ShowEngineError(code, errorCaption);
        return false;
    }
    list.SetFileCount(view_.CountFiles());
    list.DropRows();
    view_.SetStatusText(StatusLine(list.ArchivePath(), list.FileCount()));
    view_.SetCaption(OpenCaption(list.ArchivePath()));
    list.SetArchiveOpen(true);
    return true;
}

void ArchiveCommands::DropFiles(const std::vector<std::string>& paths) {
    if (busy_) {
        view_.ShowMessage(kBusyText, kClosedCaption, MessageStyle::kWarning);
        return;
    }
    const auto dialog = view_.CreateDropProgress(static_cast<int>(paths.size()));
    for (const std::string& path : paths) {
        const bool added = view_.DoAddReplay(path, dialog.get());
        if (dialog) dialog->IndicateNext();
        if (!added) break;
    }
    view_.SortFiles();
    view_.RepaintList();
    if (dialog) dialog->Close();
}

void ArchiveCommands::CmRepDelete() {
    if (busy_) return;
    ArchiveList& list = model_.List();
    NameArray names(list.SelectedNames());
    std::string archive = list.ArchivePath();
    int code;
    {
        EngineCall call(*this);
        code = zTOR(archive.data(), names.Count(), names.Pointers());
    }
    if (code == LRX_REMOVED_EMPTY_ARCHIVE) {
        // The archive is gone: no listing to show and nothing to report as
        // an error after the information.
        view_.ShowMessage(fUwu(code), "Delete Files", MessageStyle::kInformation);
        view_.CmFileNew();
        list.Release();
        return;
    }
    if (code != LRX_OK) {
        ShowEngineError(code, kDeleteError);
        return;
    }
    if (!Refresh(kDeleteError)) return;
    view_.SortFiles();
    view_.RepaintList();
}

void ArchiveCommands::CmFileExtractAll() {
    Extract(kExtractAllTitle, true);
}

void ArchiveCommands::CmRepExtractSel() {
    Extract(kExtractSelectedTitle, false);
}

void ArchiveCommands::Extract(const char* title, bool everyEntry) {
    if (busy_) return;
    const auto folder = view_.ChooseFolder(title);
    if (!folder) return;
    std::string destination = DestinationFolder(*folder);
    NameArray names(everyEntry ? std::vector<std::string>{} : model_.List().SelectedNames());
    std::string archive = model_.List().ArchivePath();
    const auto dialog = view_.CreateProgress();
    // Fresh for each command: an Always answer covers the rest of this one.
    int overwriteMode = kAskOverwrite;
    int code;
    {
        EngineCall call(*this);
        code = MFqc(archive.data(), destination.data(), overwriteMode,
                    dialog ? dialog->Handle() : nullptr, everyEntry, everyEntry ? 1 : names.Count(),
                    names.Pointers());
    }
    // The box shows over the dialog, which closes once it is read.
    if (code != LRX_OK) ShowEngineError(code, kExtractError);
    if (dialog) dialog->Close();
}

std::string DestinationFolder(const std::string& folder) {
#ifdef _WIN32
    return folder + "\\";
#else
    return folder + "/";
#endif
}

}  // namespace lrx::mgr
