// The whole script is checked before its first line runs: every command with its arguments,
// numbers and names, and the blocks, so that a mistake far down is found before the lines
// above it have run (and waited) in vain.
#pragma once

#include <iosfwd>
#include <set>
#include <string>

#include "script/types.h"

namespace tamrilo::script {

// What the lines read so far have declared, for the checks of the lines after them.
class Checker {
public:
    Checker(const ScriptOptions& options, std::ostream& warnings) : options_(options), warnings_(warnings) {}

    // "file:line: " of the line being checked, for its warnings.
    std::string where;

    void declare(const std::string& name) { declared_.insert(name); }
    // A name the line reads must have been declared by a line before it.
    void read(const std::string& name) const;
    // A name `set` or `raw` stores into is declared by it; a name no export reads is most likely
    // a misspelt one of the library's, so it is a warning (an error under --strict) unless
    // `var` declared it first.
    void store(const std::string& name);

private:
    const ScriptOptions& options_;
    std::ostream& warnings_;
    std::set<std::string> declared_;
};

// Reads the script to its end and checks every line; throws ScriptError ("file:line: problem")
// for the first line that cannot run. Warnings go to `warnings`.
void check_script(std::istream& in, const std::string& file, const ScriptOptions& options, std::ostream& warnings);

}  // namespace tamrilo::script
