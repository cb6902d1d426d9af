// Command ids shared by the menu, the toolbar glyphs, the hint strings and
// the help contexts; the window classes and their resources use these names.
#pragma once

namespace lrx::mgr {

constexpr int kCmFileNew = 24331;
constexpr int kCmFileOpen = 24332;
constexpr int kCmExit = 24310;
constexpr int kCmFileExtractAll = 11682;
constexpr int kCmRepDelete = 11683;
constexpr int kCmAddReplay = 11684;
constexpr int kCmRepExtractSel = 11685;
constexpr int kCmHelpContents = 2001;
constexpr int kCmHelpUsing = 2002;
constexpr int kCmHelpAbout = 2009;

}  // namespace lrx::mgr
