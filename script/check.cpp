#include "script/check.h"

#include <ostream>
#include <vector>

#include "script/commands.h"
#include "script/reader.h"
#include "script/spelling.h"
#include "script/vocabulary.h"

namespace tamrilo::script {

void Checker::read(const std::string& name) const {
    if (declared_.count(name) == 0) {
        throw ScriptError(undeclared_variable(name, std::vector<std::string>(declared_.begin(), declared_.end())));
    }
}

void Checker::store(const std::string& name) {
    if (declared_.count(name) == 0 && family_of(name).empty()) {
        const std::string problem = "no export reads '" + name + "'" + did_you_mean(name, library_variable_names()) +
                                    "; declare a variable of the script's own with `var " + name + "` first";
        if (options_.strict) throw ScriptError(problem);
        warnings_ << where << "warning: " << problem << "\n";
    }
    declare(name);
}

void check_script(std::istream& in, const std::string& file, const ScriptOptions& options, std::ostream& warnings) {
    struct Open {
        std::string command;
        int line;
        bool has_else;
    };
    std::vector<Open> open;
    ScriptReader reader(in);
    ScriptLine line;
    Checker checker(options, warnings);
    auto where = [&](int number) { return file + ":" + std::to_string(number) + ": "; };
    try {
        while (reader.next(line)) {
            const Command& command = command_of(line.words);
            const std::string& name = line.words[0];
            checker.where = where(line.number);
            if (command.check != nullptr) command.check(checker, line.words);
            if (name == "repeat" || name == "if" || name == "while") {
                open.push_back({name, line.number, false});
            } else if (name == "else") {
                if (open.empty() || open.back().command != "if" || open.back().has_else) {
                    throw ScriptError("'else' without 'if'");
                }
                open.back().has_else = true;
            } else if (name == "end") {
                if (open.empty()) throw ScriptError("'end' without 'repeat', 'if' or 'while'");
                open.pop_back();
            }
        }
    } catch (const ScriptError& e) {
        throw ScriptError(where(reader.line()) + e.what());
    }
    if (!open.empty()) throw ScriptError(where(open.back().line) + "'" + open.back().command + "' without 'end'");
}

}  // namespace tamrilo::script
