// Every kind of modal prompt is answered through the one seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common_dialogs.h"
#include "prompt.h"
#include "window.h"

namespace lrx::fw::test {
namespace {

TEST(FrameworkPrompt, MessageBoxesFileAndFolderPickersAreAnswered) {
    TWindow owner(nullptr, "Owner");
    ASSERT_TRUE(owner.Create());
    std::vector<std::string> seen;
    TScopedPromptAnswerer answerer([&](TPrompt& prompt) -> std::optional<int> {
        seen.push_back(std::to_string(static_cast<int>(prompt.Kind)) +
                       (prompt.Owner == owner.GetHandle() ? " owner " : " none ") + prompt.Text +
                       "|" + prompt.Caption + "|" + std::to_string(prompt.Style));
        if (prompt.Text.starts_with("Cancel")) return IDCANCEL;
        if (prompt.Kind == TPromptKind::FileOpen) prompt.FileData->FileName = "C:\\new.lrx";
        if (prompt.Kind == TPromptKind::Folder) prompt.Path = "C:\\out";
        return prompt.Kind == TPromptKind::MessageBox ? IDNO : IDOK;
    });

    EXPECT_EQ(owner.MessageBox("Aborting?", "Abort Run", MB_YESNO | MB_ICONQUESTION), IDNO);
    TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST, "Archives (*.lrx)|*.lrx|", "lrx");
    EXPECT_EQ(TFileOpenDialog(&owner, data, "New Archive").Execute(), IDOK);
    EXPECT_EQ(data.FileName, "C:\\new.lrx");
    data.FileName.clear();
    EXPECT_EQ(TFileOpenDialog(&owner, data, "Cancel me").Execute(), IDCANCEL);
    EXPECT_EQ(data.FileName, "");
    std::string folder;
    EXPECT_TRUE(BrowseForFolder(nullptr, "Select directory", folder));
    EXPECT_EQ(folder, "C:\\out");
    EXPECT_FALSE(BrowseForFolder(nullptr, "Cancel", folder));  // leaves the path
    EXPECT_EQ(folder, "C:\\out");
    const auto kind = [](TPromptKind k) { return std::to_string(static_cast<int>(k)); };
    EXPECT_EQ(seen, (std::vector<std::string>{
                        kind(TPromptKind::MessageBox) + " owner Aborting?|Abort Run|" +
                            std::to_string(MB_YESNO | MB_ICONQUESTION),
                        kind(TPromptKind::FileOpen) + " owner New Archive||" +
                            std::to_string(OFN_FILEMUSTEXIST),
                        kind(TPromptKind::FileOpen) + " owner Cancel me||" +
                            std::to_string(OFN_FILEMUSTEXIST),
                        kind(TPromptKind::Folder) + " none Select directory||0",
                        kind(TPromptKind::Folder) + " none Cancel||0"}));
}

}  // namespace
}  // namespace lrx::fw::test
