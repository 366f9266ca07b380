// The effects the designer offers: each slot of the library with its exports and host variables,
// what the library sends for a set of values, and what that force does according to the force
// model that --plot draws with.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "force/model.h"

namespace tamrilo::designer {

// A value the page sent that cannot go to the library; the message says why.
struct DesignError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Variable {
    std::string name;
    std::string unit;     // from the host variable table
    std::string meaning;  // likewise
    double min = 0, max = 0;
    double initial = 0;
};

struct Effect {
    std::string family;  // the script's variable family: sine_1, placement, …
    std::string label;   // "sine, slot 1"
    force::Kind kind = force::Kind::sine;
    std::string define, start, stop;  // the exports; start is the Play or Change export
    std::vector<Variable> variables;
};

// Every effect of the library, the constant force first.
const std::vector<Effect>& effects();
const Effect& effect_named(const std::string& family);  // DesignError for an unknown one

using Values = std::map<std::string, double>;  // script values by variable name

// Every variable of the effect from `given` (text as the page sent it), checked to be a number in
// its range; DesignError naming the variable otherwise.
Values checked_values(const Effect& effect, const std::map<std::string, std::string>& given);

// One field of the DirectInput record the library fills, with the variable it comes from.
struct SentField {
    std::string field;  // "dwMagnitude", "x: lPositiveCoefficient", …
    std::string from;
    long long value = 0;
};

struct Series {
    std::string name;  // "x", "y"
    std::vector<std::pair<double, double>> points;
};

// What the force does: over time (periodic), as a vector (constant force), or against position
// or velocity per axis (conditions).
struct Preview {
    std::vector<SentField> sent;
    std::string along;  // the horizontal quantity: "time (ms)", "stick position", "stick velocity", "force x"
    std::vector<Series> series;
    std::vector<std::string> notes;  // values DirectInput would not take, parts not drawn
};

Preview preview(const Effect& effect, const Values& values);

// The DirectInput record the library hands over for these values, as the preview draws it.
force::Parameters sent_record(const Effect& effect, const Values& values);

// A value as the script lines, the refusals and the page's JSON write it: ten significant digits.
std::string number_text(double v);

// The script lines that set the effect's variables and call `export_name`.
std::vector<std::string> script_lines(const Effect& effect, const Values& values, const std::string& export_name);

}  // namespace tamrilo::designer
