#include "script/condition.h"

#include "engine/host_engine.h"
#include "script/numbers.h"
#include "script/types.h"
#include "script/vocabulary.h"

namespace tamrilo::script {

Condition parse_condition(const std::vector<std::string>& words) {
    static const char* const kComparisons[] = {"==", "!=", "<", "<=", ">", ">="};
    const bool raw = words.size() == 5 && words[3] == "raw";
    if (words.size() != 4 && !raw) throw ScriptError("usage: " + words[0] + " NAME OP NUMBER | NAME OP raw INTEGER");
    Condition c{words[1], words[2], 0};
    bool known = false;
    for (const char* comparison : kComparisons) known = known || c.comparison == comparison;
    if (!known) throw ScriptError("unknown comparison '" + c.comparison + "' (==, !=, <, <=, > or >=)");
    if (raw) {
        c.raw = parse_raw(words[4]);
    } else if (is_status_name(c.name)) {
        c.raw = parse_raw(words[3]);
    } else {
        c.raw = engine::to_fixed(parse_script_value(words[3]));
    }
    return c;
}

bool holds(const Condition& c, std::int32_t value) {
    if (c.comparison == "==") return value == c.raw;
    if (c.comparison == "!=") return value != c.raw;
    if (c.comparison == "<") return value < c.raw;
    if (c.comparison == "<=") return value <= c.raw;
    if (c.comparison == ">") return value > c.raw;
    return value >= c.raw;
}

}  // namespace tamrilo::script
