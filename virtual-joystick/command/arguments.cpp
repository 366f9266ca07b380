#include "virtual-joystick/command/arguments.h"

#include <charconv>

namespace tamrilo::vjoy {

const char kUsage[] =
    "usage: tamrilo-vjoy COMMAND ...\n"
    "  install NAME[:ff|:plain]...      install the driver and one joystick per name, numbered from 0\n"
    "                                   (force feedback unless :plain); restart the Wine session after\n"
    "  wait COUNT [SECONDS]             wait until joysticks 0..COUNT-1 are there (default 30 s)\n"
    "  list                             number, product name, force feedback and presence of each\n"
    "  state N X Y Z RZ HAT BUTTONS     set joystick N's state: axes -32767..32767, hat 0..7 clockwise\n"
    "                                   from north or 8 for centred, buttons as a 16-bit mask\n"
    "  reports N                        print what joystick N received since the last call, decoded\n"
    "  name N PRODUCT                   change joystick N's product name\n"
    "  present N 0|1                    list joystick N in DirectInput's enumeration or leave it out\n"
    "  remove N                         remove joystick N from the running system (install adds it again)\n";

namespace {

constexpr std::size_t kMaxProduct = 63;
constexpr long kMaxJoystick = 99;

long number(const std::string& word, long low, long high) {
    long value = 0;
    const char* first = word.data();
    const char* end = word.data() + word.size();
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        first += 2;
        base = 16;
    }
    auto [ptr, ec] = std::from_chars(first, end, value, base);
    if (ec != std::errc() || ptr != end || first == end || value < low || value > high) {
        throw UsageError("bad number '" + word + "' (expected " + std::to_string(low) + ".." + std::to_string(high) +
                         ")");
    }
    return value;
}

std::int16_t axis(const std::string& word) { return static_cast<std::int16_t>(number(word, -32767, 32767)); }

std::string product(const std::string& name) {
    if (name.empty() || name.size() > kMaxProduct) throw UsageError("a product name has 1 to 63 characters");
    return name;
}

}  // namespace

Arguments parse_arguments(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command");
    Arguments a;
    a.command = args[0];
    const std::size_t n = args.size() - 1;
    auto need = [&](bool ok) {
        if (!ok) throw UsageError("wrong number of arguments for '" + a.command + "'");
    };
    auto joystick = [&] { a.joystick = static_cast<int>(number(args[1], 0, kMaxJoystick)); };
    if (a.command == "install") {
        need(n >= 1);
        for (std::size_t i = 1; i < args.size(); ++i) {
            std::string name = args[i];
            bool force_feedback = true;
            if (const std::size_t colon = name.rfind(':'); colon != std::string::npos) {
                const std::string kind = name.substr(colon + 1);
                if (kind != "ff" && kind != "plain") throw UsageError("bad joystick kind '" + kind + "'");
                force_feedback = kind == "ff";
                name.resize(colon);
            }
            a.devices.push_back({product(name), force_feedback});
        }
    } else if (a.command == "wait") {
        need(n == 1 || n == 2);
        a.count = static_cast<int>(number(args[1], 1, kMaxJoystick));
        if (n == 2) a.seconds = static_cast<int>(number(args[2], 1, 600));
    } else if (a.command == "list") {
        need(n == 0);
    } else if (a.command == "state") {
        need(n == 7);
        joystick();
        a.state.x = axis(args[2]);
        a.state.y = axis(args[3]);
        a.state.z = axis(args[4]);
        a.state.rz = axis(args[5]);
        a.state.hat = static_cast<int>(number(args[6], 0, State::kHatCentred));
        a.state.buttons = static_cast<std::uint16_t>(number(args[7], 0, 0xFFFF));
    } else if (a.command == "reports" || a.command == "remove") {
        need(n == 1);
        joystick();
    } else if (a.command == "name") {
        need(n == 2);
        joystick();
        a.product = product(args[2]);
    } else if (a.command == "present") {
        need(n == 2);
        joystick();
        a.present = number(args[2], 0, 1) != 0;
    } else {
        throw UsageError("unknown command '" + a.command + "'");
    }
    return a;
}

}  // namespace tamrilo::vjoy
