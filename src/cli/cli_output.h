// How kesgen-cli reports: "error: <reason>" and "warning: <what>" lines on the
// standard error, or with --json an {"error": ...} object on the standard
// output. Every text is made printable first (see printableText), since
// reasons quote paths and bytes from input files.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kes::cli {

// Prints the error and returns 1, the exit code of a failure.
int fail(const std::string& reason, bool asJson = false);

// Prints "warning: <what>".
void warn(const std::string& what);

// Prints `value` as indented JSON on the standard output. Texts that are not
// UTF-8 (8-bit titles and paths) show their stray bytes as U+FFFD.
void printJson(const nlohmann::ordered_json& value);

} // namespace kes::cli
