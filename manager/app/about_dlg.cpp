#include "about_dlg.h"

#include "about_texts.h"
#include "lrxwin_ids.h"
#include "version_info.h"

namespace lrx::mgr {

TLRXWinAboutDlg::TLRXWinAboutDlg(fw::TWindow* parent)
    : TDialog(parent, IDD_ABOUT),
      Version(this, IDC_ABOUTVERSION),
      Copyright(this, IDC_ABOUTLEGAL),
      SpecialBuild(this, IDC_ABOUTSPECIAL) {}

void TLRXWinAboutDlg::SetupWindow() {
    TDialog::SetupWindow();
    const fw::TVersionInfo info(fw::TVersionInfo::ProgramFile());
    const VersionStrings strings{info.Value("ProductName"), info.Value("ProductVersion"),
                                 info.Value("LegalCopyright"), info.Value("SpecialBuild")};
    const AboutTexts texts = MakeAboutTexts(strings, Version.GetText());
    if (texts.versionLine) Version.SetText(texts.versionLine->c_str());
    if (texts.copyright) Copyright.SetText(texts.copyright->c_str());
    if (texts.specialBuild) SpecialBuild.SetText(texts.specialBuild->c_str());
}

}  // namespace lrx::mgr
