// Writing an extracted level into a folder, all or nothing.
#pragma once

#include <string>

#include "extract/level_extraction.h"
#include "model/status.h"

namespace kes {

// Writes the files of `extraction` into `folder` (UTF-8), which is created
// when missing. Refused, with nothing written, when `folder` exists but is no
// folder, and when it already holds an entry by the name of one of the files
// (with `force`, existing regular files are replaced; other entries are still
// refused). The files are first written into a new temporary folder beside
// `folder`; only once all of them are written and flushed is the temporary
// folder renamed to `folder` (when it did not exist) or are its files moved
// into it. On a failure the temporary folder is removed and `folder` is as
// it was.
Status writeExtraction(const LevelExtraction& extraction, const std::string& folder, bool force);

} // namespace kes
