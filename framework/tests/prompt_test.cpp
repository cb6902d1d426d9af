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
    std::vector<TPrompt> seen;
    TScopedPromptAnswerer answerer([&](TPrompt& prompt) -> std::optional<int> {
        seen.push_back(prompt);
        if (prompt.Text.starts_with("Cancel")) return IDCANCEL;
        switch (prompt.Kind) {
            case TPromptKind::MessageBox:
                return IDNO;
            case TPromptKind::FileOpen:
                prompt.FileData->FileName = "C:\\replays\\new.lrx";
                return IDOK;
            case TPromptKind::Folder:
                prompt.Path = "C:\\out";
                return IDOK;
            default:
                return std::nullopt;
        }
    });

    TWindow owner(nullptr, "Owner");
    ASSERT_TRUE(owner.Create());
    EXPECT_EQ(owner.MessageBox("Aborting?", "Abort Run", MB_YESNO | MB_ICONQUESTION), IDNO);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Owner, owner.GetHandle());
    EXPECT_EQ(seen[0].Text, "Aborting?");
    EXPECT_EQ(seen[0].Caption, "Abort Run");
    EXPECT_EQ(seen[0].Style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));

    TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                                "Replay Archives (*.lrx)|*.lrx|All Files (*.*)|*.*|", "lrx");
    EXPECT_EQ(TFileOpenDialog(&owner, data, "New Archive").Execute(), IDOK);
    EXPECT_EQ(data.FileName, "C:\\replays\\new.lrx");
    EXPECT_EQ(seen[1].Kind, TPromptKind::FileOpen);
    EXPECT_EQ(seen[1].Text, "New Archive");
    EXPECT_EQ(seen[1].Style, static_cast<UINT>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(seen[1].Owner, owner.GetHandle());

    data.FileName.clear();
    EXPECT_EQ(TFileOpenDialog(&owner, data, "Cancel me").Execute(), IDCANCEL);
    EXPECT_EQ(data.FileName, "");

    std::string folder;
    EXPECT_TRUE(BrowseForFolder(nullptr, "Select directory for extraction", folder));
    EXPECT_EQ(folder, "C:\\out");
    EXPECT_EQ(seen[3].Kind, TPromptKind::Folder);
    EXPECT_EQ(seen[3].Text, "Select directory for extraction");
    EXPECT_FALSE(BrowseForFolder(nullptr, "Cancel", folder));  // leaves the path
    EXPECT_EQ(folder, "C:\\out");
}

}  // namespace
}  // namespace lrx::fw::test
