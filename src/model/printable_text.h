// Texts quoted from input files (face tokens, paths, titles) made safe to
// print: always valid UTF-8, and never a control character that could drive
// a terminal.
#pragma once

#include <string>
#include <string_view>

namespace kes {

// `bytes` with every control character (below 0x20, 0x7F, and U+0080 to
// U+009F) and every byte that is not part of valid UTF-8 written as "\xNN"
// (two upper-case hex digits per byte). Everything else, backslashes
// included, stays as it is.
std::string printableText(std::string_view bytes);

} // namespace kes
