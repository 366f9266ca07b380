#include "script/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "script/types.h"

namespace tamrilo::script {
namespace {

// A decimal or 0x-hexadecimal integer with an optional minus sign, in 64 bits.
long long parse_integer(const std::string& word) {
    const char* first = word.data();
    const char* last = word.data() + word.size();
    const bool negative = first != last && *first == '-';
    if (negative) ++first;
    int base = 10;
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        first += 2;
        base = 16;
    }
    unsigned long long magnitude = 0;
    // Unsigned digits only: a second sign ("--5") is not a number.
    auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
    if (first == last || ptr != last || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        throw ScriptError("bad number '" + word + "'");
    }
    if (ec == std::errc::result_out_of_range || magnitude > 0xFFFFFFFFull) {
        throw ScriptError("number out of range '" + word + "'");
    }
    return negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
}

}  // namespace

double parse_script_value(const std::string& word) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (word.empty() || end != word.c_str() + word.size()) throw ScriptError("bad number '" + word + "'");
    if (!std::isfinite(v)) throw ScriptError("not a finite number '" + word + "'");
    const double stored = std::round(v * 1024.0);
    if (stored > 2147483647.0 || stored < -2147483648.0) {
        throw ScriptError("number out of range '" + word + "' (script values run from -2097152 to 2097151.999)");
    }
    return v;
}

std::int32_t parse_raw(const std::string& word) {
    const long long v = parse_integer(word);
    if (v < INT32_MIN) throw ScriptError("number out of range '" + word + "'");
    // Up to 0xFFFFFFFF: an unsigned DirectInput value written as the bits it is stored as.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::uint32_t parse_count(const std::string& word, std::uint32_t max) {
    if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos) {
        throw ScriptError("bad count '" + word + "' (a whole number from 0 to " + std::to_string(max) + ")");
    }
    const long long v = word.size() > 10 ? -1 : std::stoll(word);
    if (v < 0 || v > max) throw ScriptError("count out of range '" + word + "' (at most " + std::to_string(max) + ")");
    return static_cast<std::uint32_t>(v);
}

}  // namespace tamrilo::script
