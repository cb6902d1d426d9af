// The window handle the engine reports into, named without windows.h: HWND
// (STRICT) on Windows, the engine's stand-in window elsewhere. The progress
// dialogs hand theirs to the commands through ProgressDialog::Handle().
#pragma once

#ifdef _WIN32
struct HWND__;
#else
struct LrxWindow;
#endif

namespace lrx::mgr {

#ifdef _WIN32
using EngineWindow = HWND__*;
#else
using EngineWindow = LrxWindow*;
#endif

}  // namespace lrx::mgr
