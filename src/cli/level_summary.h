// Summaries of level files and project files, as JSON and as readable text.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "levelfile/level_reader.h"
#include "model/level_model.h"

namespace kes::cli {

// Everything `inspect` tells about a level file (geometry and pixels are
// summarised by their counts and sizes).
nlohmann::ordered_json levelSummary(const LevelFile& level);

// Everything `inspect` tells about a project file.
nlohmann::ordered_json projectSummary(const LevelProject& project);

// The same summaries as readable text, one fact a line.
std::string levelSummaryText(const nlohmann::ordered_json& summary);
std::string projectSummaryText(const nlohmann::ordered_json& summary);

} // namespace kes::cli
