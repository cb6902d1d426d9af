// A file to decode into or pack through that disappears when closed, however
// the process ends (on Windows: when it ends normally or by Ctrl+C).
#pragma once

#include <cstdio>
#include <memory>

#include "file_stream.h"

namespace lrx {

std::unique_ptr<std::FILE, FileCloser> OpenScratchFile();

}  // namespace lrx
