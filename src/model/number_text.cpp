#include "model/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

namespace kes {
namespace {

bool isBlank(char c)
{
    // isspace in the "C" locale.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// from_chars leaves the value alone when it does not fit the type; strtod gives
// infinity on overflow and 0 on underflow. Read it again in the widest type
// and clamp.
template <typename Real>
Real outOfRangeMagnitude(const char* p, const char* last, bool hex)
{
    long double wide = 0;
    std::from_chars_result result = hex
        ? std::from_chars(p + 2, last, wide, std::chars_format::hex)
        : std::from_chars(p, last, wide, std::chars_format::general);
    if (result.ec == std::errc()) {
        if (wide > static_cast<long double>(std::numeric_limits<Real>::max()))
            return std::numeric_limits<Real>::infinity();
        return static_cast<Real>(wide);
    }
    // Beyond even the widest type: an exponent sign of '-' means underflow.
    for (const char* q = p; q != last; ++q) {
        if (*q == 'e' || *q == 'E' || (hex && (*q == 'p' || *q == 'P')))
            return (q + 1 != last && q[1] == '-') ? Real(0) : std::numeric_limits<Real>::infinity();
    }
    return std::numeric_limits<Real>::infinity();
}

// Converts the longest prefix of [first, last) that strtod accepts (after
// blanks): decimal and hexadecimal numbers, "inf", "infinity" and "nan".
// Returns the end of what was converted, or `first` when nothing was.
template <typename Real>
const char* parseReal(const char* first, const char* last, Real& value)
{
    const char* p = first;
    while (p != last && isBlank(*p))
        ++p;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    Real magnitude = 0;
    std::from_chars_result result{p, std::errc::invalid_argument};
    const bool hex = last - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')
        && ((last - p >= 3 && isHexDigit(p[2]))
            || (last - p >= 4 && p[2] == '.' && isHexDigit(p[3])));
    if (hex) {
        result = std::from_chars(p + 2, last, magnitude, std::chars_format::hex);
    } else if (p != last && (*p == '-' || *p == '+')) {
        return first; // a second sign: no number
    } else {
        result = std::from_chars(p, last, magnitude, std::chars_format::general);
    }
    if (result.ec == std::errc::invalid_argument)
        return first;
    if (result.ec == std::errc::result_out_of_range)
        magnitude = outOfRangeMagnitude<Real>(p, last, hex);
    value = negative ? -magnitude : magnitude;
    return result.ptr;
}

// printf "%.<precision>f" of a float.
std::string formatFixed(float value, int precision)
{
    char buffer[400];
    double wide = value;
    if (std::isnan(wide))
        return std::signbit(wide) ? "-nan" : "nan";
    auto result = std::to_chars(buffer, buffer + sizeof buffer, wide, std::chars_format::fixed, precision);
    return std::string(buffer, result.ptr);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// True when `text` is one decimal number as typed ("-1.5", ".5", "2e-3"),
// with nothing before or after it.
bool isPlainNumber(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponent = 0;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == text.size();
}

std::string ordinal(int n)
{
    return "number " + std::to_string(n);
}

} // namespace

int scanNumbers(std::string_view text, float* values, int count)
{
    const char* p = text.data();
    const char* last = text.data() + text.size();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (p == last || *p != ',')
                return i;
            ++p;
        }
        float value = 0;
        const char* end = parseReal(p, last, value);
        if (end == p)
            return i;
        values[i] = value;
        p = end;
    }
    return count;
}

bool holdsNumbers(std::string_view text, int count)
{
    float values[6] = {};
    if (count > 6)
        return false;
    return scanNumbers(text, values, count) == count;
}

std::array<float, 3> parseNumbers3(std::string_view text)
{
    std::array<float, 3> values{};
    scanNumbers(text, values.data(), 3);
    return values;
}

std::array<float, 6> parseNumbers6(std::string_view text)
{
    std::array<float, 6> values{};
    scanNumbers(text, values.data(), 6);
    return values;
}

std::int32_t leadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    const std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

bool holdsNonZeroInteger(std::string_view text)
{
    return leadingInteger(text) != 0;
}

double leadingNumber(std::string_view text)
{
    double value = 0;
    parseReal(text.data(), text.data() + text.size(), value);
    return value;
}

std::string formatFixed1(float value)
{
    return formatFixed(value, 1);
}

std::string formatFixed4(float value)
{
    return formatFixed(value, 4);
}

std::string formatFixed4List(const float* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ',';
        text += formatFixed4(values[i]);
    }
    return text;
}

std::string formatWhole(float value)
{
    return formatFixed(value, 0);
}

std::string formatInteger(std::int32_t value)
{
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string formatShortest(float value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string formatShortestList(const float* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ',';
        text += formatShortest(values[i]);
    }
    return text;
}

std::string capText(std::string_view text)
{
    if (text.size() <= kTextCapacity)
        return std::string(text);
    std::size_t cut = kTextCapacity;
    // Step back over continuation bytes (10xxxxxx) to the start of a character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut));
}

std::string numberListProblem(std::string_view text, int count)
{
    if (text.empty())
        return {};
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        pieces.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    const int wanted = count;
    for (int i = 0; i < static_cast<int>(pieces.size()) && i < wanted; ++i) {
        std::string_view piece = pieces[static_cast<std::size_t>(i)];
        while (!piece.empty() && isBlank(piece.front()))
            piece.remove_prefix(1);
        const bool last = i + 1 == static_cast<int>(pieces.size());
        std::string_view number = piece;
        while (last && !number.empty() && isBlank(number.back()))
            number.remove_suffix(1);
        if (number.empty())
            return ordinal(i + 1) + " is missing";
        if (!isPlainNumber(number)) {
            std::string_view trimmed = number;
            while (!trimmed.empty() && isBlank(trimmed.back()))
                trimmed.remove_suffix(1);
            if (trimmed.size() != number.size() && isPlainNumber(trimmed))
                return "a blank before a comma ends the numbers after " + ordinal(i + 1);
            float value = 0;
            if (scanNumbers(number, &value, 1) == 1 && !std::isfinite(value))
                return ordinal(i + 1) + " ('" + std::string(number) + "') is not a finite number";
            return ordinal(i + 1) + " ('" + std::string(number) + "') is not a number";
        }
        float value = 0;
        scanNumbers(number, &value, 1);
        if (!std::isfinite(value))
            return ordinal(i + 1) + " (" + std::string(number) + ") is too large for the file's 32-bit numbers";
    }
    if (static_cast<int>(pieces.size()) < wanted)
        return "needs " + std::to_string(wanted) + " numbers separated by commas, but holds "
               + std::to_string(pieces.size());
    if (static_cast<int>(pieces.size()) > wanted)
        return "holds " + std::to_string(pieces.size()) + " numbers; only the first " + std::to_string(wanted)
               + " are used";
    return {};
}

} // namespace kes
