// What the script language knows of the library's names: its exports, which of them take an
// argument, and the host variables it looks up, grouped in families a script can declare at once.
#pragma once

#include <string>
#include <vector>

namespace tamrilo::script {

// Every export of the library, in the order of its export list.
const std::vector<std::string>& export_names();

// The exports that take an argument: the binding export takes the engine record, the name
// exports a host string object. Calling them without one is undefined, so `call` refuses them.
bool takes_argument(const std::string& export_name);

struct VariableFamily {
    std::string name;  // what `declare` takes: status, joystick, sine_1, …
    std::vector<std::string> variables;
};
// Every family; the variables of all of them together are every host variable the library uses.
const std::vector<VariableFamily>& variable_families();
// The variables of one family (empty for a name that is none): family_variables("status") gives
// the six status variables, OV_error first.
const std::vector<std::string>& family_variables(const std::string& family);
// Every host variable the library uses, family by family.
std::vector<std::string> library_variable_names();
// The family of a host variable, or "" for a name the library does not use.
std::string family_of(const std::string& variable);

}  // namespace tamrilo::script
