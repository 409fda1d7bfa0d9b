// The rules by which the level's number texts are read and shown.
//
// Every text the designer types ("1.5,0,-2") is read and printed here and nowhere
// else. The rules are those of the C library's sscanf "%f", atoi, strtod and printf
// in the "C" locale, but they never consult the process locale: "1.5" means one and
// a half under every locale, and numbers are always shown with "." as the point.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kes {

// Capacity of every text of the model: a 250-byte buffer less its NUL.
inline constexpr std::size_t kTextCapacity = 249;

// Reads up to `count` comma-separated numbers from the start of `text`, as
// sscanf with "%f,%f,..." does: blanks are allowed before each number but not
// before a comma, and text after the last wanted number is ignored. Values are
// stored into values[0..] as they are converted; the others keep what they held.
// Returns how many were converted (stops at the first failure).
int scanNumbers(std::string_view text, float* values, int count);

// True when `text` holds `count` numbers by the rule above.
bool holdsNumbers(std::string_view text, int count);

// Why a list of `count` comma-separated numbers won't give what it reads as:
// too few or too many numbers, a character that is not part of a number, a
// blank before a comma, or a number that is not finite as a 32-bit float
// (1e39, "inf", "nan"). Empty when it will, and for an empty text.
std::string numberListProblem(std::string_view text, int count);

// Three numbers; those not converted are 0.
std::array<float, 3> parseNumbers3(std::string_view text);
// Six numbers; those not converted are 0.
std::array<float, 6> parseNumbers6(std::string_view text);

// The leading decimal integer of `text`, like atoi: optional blanks, an optional
// sign, then digits. 0 when there are none. Saturates at the int32 limits.
std::int32_t leadingInteger(std::string_view text);

// True when the leading integer of `text` is not 0.
bool holdsNonZeroInteger(std::string_view text);

// The leading decimal number of `text`, like strtod. 0.0 when there is none.
double leadingNumber(std::string_view text);

// printf "%.4f" of one value.
std::string formatFixed4(float value);
// printf "%.4f,%.4f,%.4f" of `count` values.
std::string formatFixed4List(const float* values, int count);
// printf "%.1f" of one value.
std::string formatFixed1(float value);
// printf "%.0f".
std::string formatWhole(float value);
// printf "%d".
std::string formatInteger(std::int32_t value);

// The shortest decimal text that reads back, by the rules above, to exactly
// `value`: "0.1", "-2", "1e+30", "-0", "inf", "-inf". A NaN gives "nan" or
// "-nan", which read back as the default NaN of that sign, whatever payload
// `value` carried.
std::string formatShortest(float value);
// formatShortest of `count` values, separated by ",".
std::string formatShortestList(const float* values, int count);

// Cuts `text` to at most kTextCapacity bytes, never in the middle of a UTF-8
// character.
std::string capText(std::string_view text);

} // namespace kes
