#include "script/script.h"

#include <vector>

#include "script/check.h"
#include "script/commands.h"
#include "script/condition.h"
#include "script/reader.h"
#include "script/runner.h"
#include "script/types.h"

namespace tamrilo::script {
namespace {

bool opens_block(const std::string& command) { return command == "repeat" || command == "while" || command == "if"; }

// Runs a step of one line, prefixing its errors with the file and line.
template <typename Step>
void at_line(Runner& runner, const ScriptLine& line, Step step) {
    runner.line = line.number;
    try {
        step();
    } catch (const ScriptError& e) {
        throw ScriptError(runner.where() + e.what());
    }
}

bool condition_holds(Runner& runner, const ScriptLine& line) {
    bool holds_now = false;
    at_line(runner, line, [&] {
        const Condition condition = parse_condition(line.words);
        holds_now = holds(condition, runner.value(condition.name));
    });
    return holds_now;
}

// A block, read whole before it runs: its lines with nested blocks; for every opening line
// the index of its `end`, and for an `if` that of its `else` (its `end` when it has none).
struct Block {
    std::vector<ScriptLine> lines;
    std::vector<std::size_t> end_of;
    std::vector<std::size_t> else_of;
};

void run_lines(Runner& runner, const Block& block, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
        const ScriptLine& line = block.lines[i];
        const std::string& command = line.words[0];
        const std::size_t end = block.end_of[i];
        if (command == "repeat") {
            const std::uint32_t count = repeat_count(line.words);
            for (std::uint32_t n = 0; n < count; ++n) run_lines(runner, block, i + 1, end);
        } else if (command == "while") {
            while (condition_holds(runner, line)) {
                at_line(runner, line, [&] { runner.check_time(); });
                run_lines(runner, block, i + 1, end);
            }
        } else if (command == "if") {
            const std::size_t otherwise = block.else_of[i];
            if (condition_holds(runner, line)) {
                run_lines(runner, block, i + 1, otherwise);
            } else {
                run_lines(runner, block, otherwise + 1, end);
            }
        } else {
            at_line(runner, line, [&] { command_of(line.words).run(runner, line.words); });
            continue;
        }
        i = end;
    }
}

// Lines run as they are read, so a long script is never held whole; a block is read to its
// end first, as it may run more or less than once. The script was checked whole before.
class ScriptRun {
public:
    explicit ScriptRun(std::istream& in) : reader_(in) {}

    void run(Runner& runner) {
        ScriptLine line;
        while (reader_.next(line)) {
            Block block = read_block(line);
            run_lines(runner, block, 0, block.lines.size());
        }
    }

private:
    // The line, with the rest of its block when it opens one.
    Block read_block(const ScriptLine& first) {
        Block block;
        std::vector<std::size_t> open;
        ScriptLine line = first;
        do {
            const std::size_t index = block.lines.size();
            block.lines.push_back(line);
            block.end_of.push_back(0);
            block.else_of.push_back(0);
            const std::string& command = line.words[0];
            if (opens_block(command)) {
                open.push_back(index);
            } else if (command == "else") {
                block.else_of[open.back()] = index;
            } else if (command == "end") {
                block.end_of[open.back()] = index;
                if (block.else_of[open.back()] == 0) block.else_of[open.back()] = index;
                open.pop_back();
            }
        } while (!open.empty() && reader_.next(line));
        return block;
    }

    ScriptReader reader_;
};

}  // namespace

ScriptResult run_script(std::istream& in, const std::string& file_name, const std::string& library_path,
                        std::ostream& out, std::ostream& err, const ScriptOptions& options) {
    check_script(in, file_name, options, err);
    in.clear();
    in.seekg(0);
    Runner runner(library_path, file_name, options, out, err);
    ScriptRun(in).run(runner);
    runner.finish();
    return runner.result;
}

}  // namespace tamrilo::script
