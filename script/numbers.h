// Numbers in scripts. A script value is stored as value × 1024, rounded; a raw integer is the
// stored 32-bit value itself (decimal or 0x hexadecimal, up to 0xFFFFFFFF). Each throws
// ScriptError for a word that is not such a number.
#pragma once

#include <cstdint>
#include <string>

namespace tamrilo::script {

double parse_script_value(const std::string& word);
std::int32_t parse_raw(const std::string& word);
// A count or a duration: a decimal integer from 0 to `max`.
std::uint32_t parse_count(const std::string& word, std::uint32_t max);

}  // namespace tamrilo::script
