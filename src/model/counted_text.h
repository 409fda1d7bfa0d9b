// A count with its noun, for messages: "1 layer", "0 layers", "2 bits".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kes {

// `count` and the noun: `one` when the count is 1, else `many` (`one` with an
// "s" when `many` is empty).
inline std::string countedText(std::uint64_t count, std::string_view one, std::string_view many = {})
{
    std::string text = std::to_string(count) + ' ';
    if (count == 1)
        return text.append(one);
    if (many.empty())
        return text.append(one).append("s");
    return text.append(many);
}

} // namespace kes
