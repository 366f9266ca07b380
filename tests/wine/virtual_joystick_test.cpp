// The product DLL against Wine's own DirectInput with virtual joysticks attached: selection,
// state, capabilities, axis properties and every effect family, checked through the exports'
// status codes and through what the joysticks received.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include <windows.h>

#include "effect_support.h"
#include "force/preview/device.h"
#include "platform/program_folder.h"
#include "script/script.h"
#include "virtual-joystick/control/virtual_joystick.h"

namespace tamrilo::test {
namespace {

using Status = std::vector<Fixed>;

// A Stop export stops and unloads; Wine's unload stops the effect once more before it frees the
// block.
const std::vector<std::string> kStopped = {"stop", "stop", "free"};

// The joysticks the test prefix installs, in enumeration order.
struct Installed {
    const char* product;
    bool force_feedback;
};
const Installed kInstalled[] = {
    {"Tamrilo Alpha", true},
    {"Tamrilo Beta", true},
    {"Tamrilo Plain", false},
    {"Tamrilo Spare", true},  // removed while held by one test
};
constexpr int kAlpha = 0, kBeta = 1, kPlain = 2, kSpare = 3;
constexpr int kInstalledCount = 4;

class VirtualJoystickTest : public LibraryTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim().available()) << "this test must run against Wine's own dinput.dll";
        for (int n = 0; n < kInstalledCount; ++n) {
            sticks[n] = vjoy::Joystick::open(n);
            if (n != kSpare) {
                ASSERT_TRUE(sticks[n]) << "virtual joystick " << n << " is not installed";
            }
        }
        // Only the first two are listed unless a test says otherwise.
        show({kAlpha, kBeta});
        for (auto& stick : sticks) {
            if (!stick) continue;
            stick->set_product(kInstalled[stick->number()].product);
            stick->set_state({});
            stick->drain();
        }
        LibraryTest::SetUp();
    }

    // Releases what the test acquired: a joystick still acquired when the library is unloaded
    // stays acquired in Wine's DirectInput for the rest of the process, and its reads crowd out
    // those of the joysticks later tests select.
    void TearDown() override {
        if (library) call("FreeDirectInput");
        LibraryTest::TearDown();
    }

    // Lists exactly these joysticks in DirectInput's enumeration.
    void show(std::initializer_list<int> numbers) {
        for (auto& stick : sticks) {
            if (stick) stick->set_present(std::find(numbers.begin(), numbers.end(), stick->number()) != numbers.end());
        }
    }
    vjoy::Joystick& stick(int n) { return *sticks[n]; }
    // What joystick `n` received since the last look, as text.
    std::vector<std::string> received(int n) {
        std::vector<std::string> lines;
        for (const auto& report : stick(n).received()) lines.push_back(report.text());
        return lines;
    }
    void select(const char* select_export = "InitJoystick_1") {
        open_directinput();
        call(select_export);
        ASSERT_EQ(var("OV_info_2"), 1) << "no joystick selected";
    }
    // Selects joystick 0 and forgets what the selection sent it.
    void select_alpha() {
        select();
        stick(kAlpha).drain();
    }

    // Sets joystick `n`'s state and reads it through the library until `arrived` holds:
    // DirectInput takes in a new state in the background. It usually takes milliseconds; a busy
    // machine gets kPatience.
    void set_and_read(int n, const vjoy::State& state, const std::function<bool()>& arrived) {
        stick(n).set_state(state);
        read_until(arrived);
    }
    void read_until(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        do {
            call("Get_Joystick_State");
            if (done()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < end);
    }
    static constexpr auto kPatience = std::chrono::seconds(15);

    std::optional<vjoy::Joystick> sticks[kInstalledCount];
};

// The reports of one effect block, by kind.
std::vector<vjoy::Report> of_kind(const std::vector<vjoy::Report>& reports, const std::string& kind) {
    std::vector<vjoy::Report> out;
    for (const auto& r : reports) {
        if (r.kind() == kind) out.push_back(r);
    }
    return out;
}

std::vector<std::string> kinds(const std::vector<vjoy::Report>& reports) {
    std::vector<std::string> out;
    for (const auto& r : reports) out.push_back(r.kind());
    return out;
}

TEST_F(VirtualJoystickTest, SelectsTheFirstOrTheLastJoystick) {
    struct Case {
        const char* select;
        const char* name;
        int selected;
        Status selected_status;
    };
    const Case cases[] = {{"InitJoystick_1", "Get_Joystick_Name_1", kAlpha, Status{7, 1, 1, 4, 0, 0}},
                          {"InitJoystick_2", "Get_Joystick_Name_2", kBeta, Status{0, 1, 1, 0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select);
        call("Get_Versionsnummer");
        call("InitDirectInput");
        EXPECT_EQ(status(), (Status{0, 1, 0, 0, 0, 0}));
        call(c.select);
        EXPECT_EQ(status(), c.selected_status);
        engine::HostString name;
        ASSERT_NE(library->call_with_string(c.name, &name), nullptr);
        EXPECT_STREQ(name.characters(), kInstalled[c.selected].product);

        // Acquiring resets the selected joystick and sets its gain; the other hears nothing.
        EXPECT_EQ(received(c.selected), (std::vector<std::string>{"control command=reset", "gain gain=10000"}));
        EXPECT_TRUE(received(kAlpha + kBeta - c.selected).empty());

        call("FreeDirectInput");
        EXPECT_EQ(status(), (Status{0, 1, 2, 0, 0, 0}));
        EXPECT_EQ(received(c.selected), (std::vector<std::string>{"control command=reset"})) << "unacquired";
    }
}

TEST_F(VirtualJoystickTest, ProductNameFollowsTheDevice) {
    stick(kBeta).set_product("Renamed Stick");
    select("InitJoystick_2");
    engine::HostString name;
    ASSERT_NE(library->call_with_string("Get_Joystick_Name_2", &name), nullptr);
    EXPECT_STREQ(name.characters(), "Renamed Stick");
}

// Wine refuses auto-centre on a joystick without force feedback, so selecting it ends with that
// step's failure code; every effect creation on it fails.
TEST_F(VirtualJoystickTest, JoystickWithoutForceFeedback) {
    show({kAlpha, kPlain});
    open_directinput();
    call("InitJoystick_2");
    const Status selected = status();
    EXPECT_EQ(selected, (Status{53, 1, 1, 0, 0, 0})) << "auto-centre refused";
    engine::HostString name;
    ASSERT_NE(library->call_with_string("Get_Joystick_Name_2", &name), nullptr);
    EXPECT_STREQ(name.characters(), "Tamrilo Plain");
    call("Show_Capabilities");
    EXPECT_EQ(var("FORCEFEEDBACK_ENABLE"), 0);
    set("FF_force_x", fx(3000));
    call("Define_Const_Forces");
    EXPECT_EQ(var("OV_error"), 101) << "creation refused";
    EXPECT_TRUE(received(kAlpha).empty());
}

TEST_F(VirtualJoystickTest, StateOfAxesHatAndButtons) {
    select_alpha();
    struct AxisCase {
        std::int16_t position;
        Fixed stored;
    };
    for (const AxisCase c : {AxisCase{-32767, -10239606}, AxisCase{0, 0}, AxisCase{32767, 10239606}}) {
        SCOPED_TRACE(c.position);
        // One axis at a time at the position, the others elsewhere, so a mix-up shows.
        const std::int16_t other = c.position == 0 ? 32767 : 0;
        const Fixed other_stored = c.position == 0 ? 10239606 : 0;
        for (int axis = 0; axis < 4; ++axis) {
            vjoy::State s;
            s.x = axis == 0 ? c.position : other;
            s.y = axis == 1 ? c.position : other;
            s.z = axis == 2 ? c.position : other;
            s.rz = axis == 3 ? c.position : other;
            const Status want = {axis == 0 ? c.stored : other_stored, axis == 1 ? c.stored : other_stored,
                                 axis == 2 ? c.stored : other_stored, axis == 3 ? c.stored : other_stored};
            auto axes = [this] { return Status{var("JOY_X_A"), var("JOY_Y_A"), var("JOY_RUD_A"), var("JOY_ROT_A")}; };
            set_and_read(kAlpha, s, [&] { return axes() == want; });
            EXPECT_EQ(var("OV_error"), 97);
            EXPECT_EQ(axes(), want) << "axis " << axis;
        }
    }

    struct HatCase {
        int hat;
        Fixed stored;
    };
    for (const HatCase c : {HatCase{0, 0}, HatCase{2, 92165}, HatCase{4, 184331}, HatCase{6, 276497},
                            HatCase{vjoy::State::kHatCentred, -1024}}) {
        SCOPED_TRACE(c.hat);
        vjoy::State s;
        s.hat = c.hat;
        set_and_read(kAlpha, s, [&] { return var("JOY_VIEW") == c.stored; });
        EXPECT_EQ(var("JOY_VIEW"), c.stored);
    }

    for (const std::uint16_t buttons : std::initializer_list<std::uint16_t>{0x0001, 0x8000, 0xA5A5, 0xFFFF, 0x0000}) {
        SCOPED_TRACE(buttons);
        vjoy::State s;
        s.buttons = buttons;
        auto pressed = [this] {
            std::uint16_t mask = 0;
            for (int b = 1; b <= 16; ++b) {
                if (var("BUTTON_" + std::to_string(b)) == 1024) mask = static_cast<std::uint16_t>(mask | 1u << (b - 1));
            }
            return mask;
        };
        set_and_read(kAlpha, s, [&] { return pressed() == buttons; });
        EXPECT_EQ(pressed(), buttons);
        for (int b = 1; b <= 16; ++b) EXPECT_EQ(var("BUTTON_" + std::to_string(b)) & ~1024, 0) << "button " << b;
    }
}

TEST_F(VirtualJoystickTest, Capabilities) {
    select_alpha();
    call("Show_Capabilities");
    EXPECT_EQ(var("OV_error"), 14);
    EXPECT_EQ(var("NUMBER_OF_AXIS"), 4096);
    EXPECT_EQ(var("NUMBER_OF_VIEWS"), 1024);
    EXPECT_EQ(var("NUMBER_OF_BUTTONS"), 16385);
    EXPECT_EQ(var("FORCEFEEDBACK_ENABLE"), 1024);
}

TEST_F(VirtualJoystickTest, DeadZoneAndSaturationReadBack) {
    select_alpha();
    struct Case {
        const char* set;
        const char* get;
        const char* variable;
    };
    const Case cases[] = {
        {"Set_Dead_Zone_X", "Get_Dead_Zone_X", "Dead_Zone_X"},
        {"Set_Dead_Zone_Y", "Get_Dead_Zone_Y", "Dead_Zone_Y"},
        {"Set_Saturation_Zone_X", "Get_Saturation_Zone_X", "Saturation_Zone_X"},
        {"Set_Saturation_Zone_Y", "Get_Saturation_Zone_Y", "Saturation_Zone_Y"},
    };
    for (const Case& c : cases) {
        for (const auto& [percent, written_back] : {std::pair{51200, 51193}, std::pair{1024, 1013}, std::pair{0, 0}}) {
            SCOPED_TRACE(std::string(c.set) + " " + std::to_string(percent));
            set(c.variable, percent);
            call(c.set);
            EXPECT_EQ(var(c.variable), written_back);
            set(c.variable, 777);
            call(c.get);
            EXPECT_EQ(var(c.variable), written_back);
        }
    }
    // A dead zone of half the range reaches the device: a quarter deflection reads as centred.
    set("Dead_Zone_X", 51200);
    call("Set_Dead_Zone_X");
    vjoy::State s;
    s.x = 32767 / 4;
    s.y = 32767 / 4;
    set_and_read(kAlpha, s, [this] { return var("JOY_Y_A") != 0; });
    EXPECT_EQ(var("JOY_X_A"), 0);
    EXPECT_NE(var("JOY_Y_A"), 0);
}

TEST_F(VirtualJoystickTest, ConstantForce) {
    select_alpha();
    set("FF_force_x", fx(3000));
    set("FF_force_y", fx(4000));
    call("Define_Const_Forces");
    EXPECT_EQ(status(), (Status{102, 0, 0, 0, 0, 0}));
    auto reports = stick(kAlpha).received();
    EXPECT_EQ(kinds(reports), (std::vector<std::string>{"new", "constant", "envelope", "effect", "operation"}));
    auto b = vjoy::blocks(reports);
    ASSERT_EQ(b.size(), 1u);
    const int block = b.begin()->first;
    const vjoy::Block& force = b.begin()->second;
    EXPECT_EQ(force.type, "constant");
    EXPECT_EQ(force.constant["magnitude"], "-4998");
    // (2999, 3999) points 53.13 degrees from the X axis; Wine's angles start a quarter turn on.
    EXPECT_EQ(force.effect["direction"], "14313,0");
    EXPECT_EQ(force.effect["duration"], "-1") << "infinite";
    EXPECT_EQ(force.effect["gain"], "10000");
    EXPECT_EQ(force.operations, (std::vector<std::string>{"start"}));

    // Change sends only what changed, and starts again.
    set("FF_force_x", fx(-500));
    call("Change_Const_Forces");
    EXPECT_EQ(var("OV_error"), 102);
    reports = stick(kAlpha).received();
    const auto magnitudes = of_kind(reports, "constant");
    ASSERT_EQ(magnitudes.size(), 1u);
    EXPECT_EQ(magnitudes[0]["magnitude"], "-4030");
    EXPECT_EQ(magnitudes[0].block, block);
    EXPECT_EQ(vjoy::blocks(reports)[block].operations, (std::vector<std::string>{"start"}));

    call("Stop_Const_Forces");
    EXPECT_EQ(var("OV_info_5"), 80);
    EXPECT_EQ(vjoy::blocks(stick(kAlpha).received())[block].operations, kStopped);
}

// A force longer than full scale arrives at full scale in its own direction: Wine would send a
// value beyond the range the device declares (±10000) as -1, next to nothing.
TEST_F(VirtualJoystickTest, LongConstantForceArrivesAtFullScale) {
    select_alpha();
    struct Case {
        int x, y;
        const char* magnitude;
        int angle;  // Wine's, a quarter turn on from the X axis
    };
    // (10000, 10000) is 14140 long; (7071, 7071), handed over as (7070, 7070), is 9998, just
    // inside; (20000, 0) is 19998.
    for (const Case c :
         {Case{10000, 10000, "-10000", 13500}, Case{7071, 7071, "-9998", 13500}, Case{20000, 0, "-10000", 9000}}) {
        SCOPED_TRACE(c.x);
        set("FF_force_x", fx(c.x));
        set("FF_force_y", fx(c.y));
        call("Define_Const_Forces");
        EXPECT_EQ(var("OV_error"), 102);
        const auto reports = stick(kAlpha).received();
        const auto magnitudes = of_kind(reports, "constant");
        ASSERT_EQ(magnitudes.size(), 1u);
        EXPECT_EQ(magnitudes[0]["magnitude"], c.magnitude);
        // Wine turns the direction into an angle in floating point: the diagonal may come out
        // a hundredth of a degree short.
        for (const auto& effect : of_kind(reports, "effect")) {
            EXPECT_NEAR(std::stoi(effect["direction"]), c.angle, 1) << effect["direction"];
        }
    }
}

// Placement spring, friction and damper: one condition report per axis, with full saturation on
// both sides, started on Define.
TEST_F(VirtualJoystickTest, ConditionEffects) {
    struct Family {
        const char* define;
        const char* change;
        const char* stop;
        const char* type;
        std::vector<std::pair<const char*, int>> values;  // variable, value
        std::string x, y;                                 // the condition reports that arrive
        Status defined;
    };
    const Family families[] = {
        {"Define_Placement",
         "Change_Placement",
         "Stop_Placement",
         "spring",
         {{"placement_middle_x", 1000},
          {"placement_middle_y", -1000},
          {"placement_dead_x", 300},
          {"placement_dead_y", 400},
          {"placement_left_x", 5000},
          {"placement_left_y", 6000},
          {"placement_right_x", 7000},
          {"placement_right_y", 8000}},
         "offset=999 positive-coefficient=6999 negative-coefficient=4999 positive-saturation=10000 "
         "negative-saturation=10000 dead-band=299",
         "offset=-999 positive-coefficient=7999 negative-coefficient=5999 positive-saturation=10000 "
         "negative-saturation=10000 dead-band=399",
         Status{0, 0, 0, 0, 30, 20}},
        {"Define_Friction",
         "Change_Friction",
         "Stop_Friction",
         "friction",
         {{"friction_right_x", 1000}, {"friction_left_x", 2000}, {"friction_up_y", 3000}, {"friction_down_y", 4000}},
         "offset=0 positive-coefficient=999 negative-coefficient=1999 positive-saturation=10000 "
         "negative-saturation=10000 dead-band=0",
         "offset=0 positive-coefficient=2999 negative-coefficient=3999 positive-saturation=10000 "
         "negative-saturation=10000 dead-band=0",
         Status{1, 2, 3, 4, 5, 10}},
        {"Define_Damp",
         "Change_Damp",
         "Stop_Damp",
         "damper",
         {{"damp_max_procent_right_x", 1000},
          {"damp_max_procent_left_x", 2000},
          {"damp_null_procent_x", 100},
          {"damp_max_procent_up_y", 3000},
          {"damp_max_procent_down_y", 4000},
          {"damp_null_procent_y", -100}},
         "offset=99 positive-coefficient=999 negative-coefficient=1999 positive-saturation=10000 "
         "negative-saturation=10000 dead-band=0",
         "offset=-99 positive-coefficient=2999 negative-coefficient=3999 positive-saturation=10000 "
         "negative-saturation=10000 dead-band=0",
         Status{1, 2, 3, 4, 5, 10}},
    };
    for (const Family& f : families) {
        SCOPED_TRACE(f.define);
        TearDown();
        SetUp();
        select_alpha();
        for (const auto& [variable, value] : f.values) set(variable, fx(value));
        set_status({1, 2, 3, 4, 5, 6});
        call(f.define);
        EXPECT_EQ(status(), f.defined);
        auto reports = stick(kAlpha).received();
        EXPECT_EQ(kinds(reports), (std::vector<std::string>{"new", "condition", "condition", "effect", "operation"}));
        auto b = vjoy::blocks(reports);
        ASSERT_EQ(b.size(), 1u);
        const int block = b.begin()->first;
        const vjoy::Block& effect = b.begin()->second;
        EXPECT_EQ(effect.type, f.type);
        ASSERT_EQ(effect.conditions.size(), 2u);
        // Parameter block 0 is the record's first axis, X.
        EXPECT_EQ(effect.conditions.at(0).text(), "condition block=" + std::to_string(block) + " axis=0 " + f.x);
        EXPECT_EQ(effect.conditions.at(1).text(), "condition block=" + std::to_string(block) + " axis=1 " + f.y);
        EXPECT_EQ(effect.operations, (std::vector<std::string>{"start"}));

        // Change with new values: the conditions again, and a start. Values beyond the ranges
        // arrive at their ends; the saturations stay.
        for (const auto& [variable, value] : f.values) set(variable, fx(value * 4));
        call(f.change);
        reports = stick(kAlpha).received();
        const auto changed = of_kind(reports, "condition");
        ASSERT_EQ(changed.size(), 2u);
        for (const auto& condition : changed) {
            SCOPED_TRACE(condition.text());
            for (const char* field : {"offset", "positive-coefficient", "negative-coefficient", "dead-band"}) {
                EXPECT_LE(std::abs(std::stoi(condition[field])), 10000) << field;
            }
            EXPECT_EQ(condition["positive-saturation"], "10000");
            EXPECT_EQ(condition["negative-saturation"], "10000");
        }
        EXPECT_EQ(changed[1]["negative-coefficient"], "10000") << "four times 4000 or more";
        EXPECT_EQ(vjoy::blocks(reports)[block].operations, (std::vector<std::string>{"start"}));

        call(f.stop);
        EXPECT_EQ(var("OV_info_5"), 80);
        EXPECT_EQ(vjoy::blocks(stick(kAlpha).received())[block].operations, kStopped);
    }
}

// The five waveforms: Define creates without starting (but the falling sawtooth of slot 5),
// Play starts, Stop stops.
TEST_F(VirtualJoystickTest, PeriodicEffects) {
    const std::map<std::string, std::string> types = {{"Sine", "sine"},
                                                      {"Triangle", "triangle"},
                                                      {"Quadrat", "square"},
                                                      {"Periodic_Cresc", "sawtooth-up"},
                                                      {"Periodic_Decresc", "sawtooth-down"}};
    for (const auto& s : periodic_slots()) {
        const std::string word = s.define.substr(std::string("Define_").size());
        const std::string family = word.substr(0, word.rfind('_'));
        const bool slot_1 = word.back() == '1';
        const bool starts_on_define = s.define == "Define_Periodic_Decresc_5";
        if (!slot_1 && !starts_on_define) continue;  // one slot per family keeps the test short
        SCOPED_TRACE(s.define);
        TearDown();
        SetUp();
        select_alpha();
        set(s.offset, fx(-2000));
        set(s.magnitude, fx(10000));
        set(s.period, fx(1000));
        call(s.define);
        EXPECT_EQ(var("OV_info_5"), 20);
        auto reports = stick(kAlpha).received();
        auto b = vjoy::blocks(reports);
        ASSERT_EQ(b.size(), 1u);
        const int block = b.begin()->first;
        const vjoy::Block& wave = b.begin()->second;
        EXPECT_EQ(wave.type, types.at(family));
        EXPECT_EQ(wave.periodic.text(),
                  "periodic block=" + std::to_string(block) + " magnitude=9999 offset=-1999 phase=0 period=999936");
        EXPECT_EQ(wave.effect["direction"], "0,0");
        EXPECT_EQ(wave.operations, starts_on_define ? std::vector<std::string>{"start"} : std::vector<std::string>{});

        call(s.play);
        EXPECT_EQ(var("OV_info_5"), 7168);
        EXPECT_EQ(vjoy::blocks(stick(kAlpha).received())[block].operations, (std::vector<std::string>{"start"}));

        // A negative magnitude is read as unsigned, beyond full scale: it arrives at full scale,
        // and so does an offset beyond the range.
        set(s.magnitude, fx(-5000));
        set(s.offset, fx(30000));
        call(s.play);
        EXPECT_EQ(var("OV_info_5"), 7168);
        const auto replayed = vjoy::blocks(stick(kAlpha).received())[block];
        EXPECT_EQ(replayed.periodic["magnitude"], "10000");
        EXPECT_EQ(replayed.periodic["offset"], "10000");

        call(s.stop);
        EXPECT_EQ(var("OV_info_5"), 80);
        EXPECT_EQ(vjoy::blocks(stick(kAlpha).received())[block].operations, kStopped);
    }
}

// Selecting a joystick again drops every effect: Wine stops and frees their blocks.
TEST_F(VirtualJoystickTest, SelectingAgainDropsTheEffects) {
    select_alpha();
    set("FF_force_x", fx(3000));
    call("Define_Const_Forces");
    set("sine_1_hight", fx(5000));
    set("sine_1_time", fx(100));
    call("Define_Sine_1");
    call("Play_Sine_1");
    auto b = vjoy::blocks(stick(kAlpha).received());
    ASSERT_EQ(b.size(), 2u);

    call("InitJoystick_1");
    EXPECT_EQ(var("OV_info_2"), 1);
    const auto reports = stick(kAlpha).received();
    for (const auto& [block, effect] : vjoy::blocks(reports)) {
        SCOPED_TRACE(block);
        EXPECT_EQ(effect.operations, (std::vector<std::string>{"stop", "free"}));
    }
    EXPECT_EQ(vjoy::blocks(reports).size(), 2u);
    EXPECT_EQ(of_kind(reports, "control").back()["command"], "reset");
}

// A joystick removed while selected reads as unplugged (lost input, the fixed values), and
// nothing hangs. Installing it again brings it back in the running session, and the selection
// reads it again without being made anew; installing what is there installs nothing. An effect
// defined before the joystick is acquired again is kept, and plays once it is.
TEST_F(VirtualJoystickTest, RemovedWhileHeldAndInstalledAgain) {
    ASSERT_TRUE(sticks[kSpare]) << "the spare joystick is missing";
    show({kAlpha, kSpare});
    select("InitJoystick_2");
    call("Get_Joystick_State");
    ASSERT_EQ(var("OV_error"), 97);
    sticks[kSpare].reset();
    ASSERT_TRUE(vjoy::remove(kSpare));
    EXPECT_FALSE(vjoy::remove(kSpare)) << "already gone";

    // The removal reaches DirectInput through the device host, in the background.
    set("JOY_VIEW", 777);
    read_until([this] { return var("OV_error") != 97; });
    EXPECT_EQ(var("OV_error"), 14);
    EXPECT_EQ(var("JOY_X_A"), 4078);
    EXPECT_EQ(var("JOY_VIEW"), 777);
    // Wine's DirectInput answers every later read with "not acquired": the library acquires again.
    call("Get_Joystick_State");
    EXPECT_EQ(var("OV_error"), 14) << "still removed";

    std::vector<vjoy::DeviceSpec> specs;
    for (const Installed& i : kInstalled) specs.push_back({i.product, i.force_feedback});
    EXPECT_EQ(vjoy::install(platform::program_folder(), specs), 1);
    EXPECT_EQ(vjoy::wait_for(kInstalledCount, std::chrono::seconds(10)), std::vector<int>{});
    EXPECT_EQ(vjoy::install(platform::program_folder(), specs), 0);

    sticks[kSpare] = vjoy::Joystick::open(kSpare);
    ASSERT_TRUE(sticks[kSpare]);
    // Not acquired yet, Wine creates an effect with DI_DOWNLOADSKIPPED: a creation all the same.
    set("sine_1_hight", fx(5000));
    set("sine_1_time", fx(100));
    call("Define_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 20);
    vjoy::State s;
    s.y = 32767;
    set_and_read(kSpare, s, [this] { return var("OV_error") == 97 && var("JOY_Y_A") == 10239606; });
    EXPECT_EQ(var("OV_error"), 97);
    EXPECT_EQ(var("JOY_Y_A"), 10239606);
    // Acquired again, the effect kept from that Define plays.
    stick(kSpare).drain();
    call("Play_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 7168);
    const auto played = vjoy::blocks(stick(kSpare).received());
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played.begin()->second.operations, (std::vector<std::string>{"start"}));
}

// Runs a program of this folder with the arguments given; returns its exit code and what it wrote
// to standard error.
std::pair<DWORD, std::string> run_program(const std::string& program, const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return {~0ul, "no pipe"};
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = write_end;
    std::string command = "\"" + platform::program_folder() + "\\" + program + "\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write_end);
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (started && ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    CloseHandle(read_end);
    if (!started) return {~0ul, "not started"};
    DWORD code = 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return {code, output};
}

// The control command refuses bad arguments with its usage and exit code 2 (which arguments are
// bad, virtual_joystick_arguments_test.cpp checks on every platform).
TEST(ControlCommand, RefusesBadArgumentsWithItsUsage) {
    const auto [code, errors] = run_program("tamrilo-vjoy.exe", "state 0 40000 0 0 0 8 0");
    EXPECT_EQ(code, 2u) << errors;
    EXPECT_NE(errors.find("bad number '40000'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("usage: tamrilo-vjoy COMMAND"), std::string::npos) << errors;
}

// Runs a script as tamrilo-host does; returns what it printed, or the script error.
struct ScriptRun {
    std::string out, err, error;
    script::ScriptResult result;
};
ScriptRun run_host_script(const std::string& script, const std::string& name = "t.txt") {
    std::istringstream in(script);
    std::ostringstream out, err;
    ScriptRun run;
    try {
        run.result = script::run_script(in, name, engine::default_library_path(), out, err);
    } catch (const script::ScriptError& e) {
        run.error = e.what();
    }
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::vector<std::string> example_scripts() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(TAMRILO_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".txt") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every example script, unchanged, on Wine's own DirectInput: its joysticks are virtual ones.
class ExampleOnWineDirectInput : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleOnWineDirectInput, HoldsItsExpectations) {
    ASSERT_FALSE(sim().available()) << "this test must run against Wine's own dinput.dll";
    auto alpha = vjoy::Joystick::open(kAlpha);
    ASSERT_TRUE(alpha);
    alpha->drain();
    std::ifstream in(std::filesystem::path(TAMRILO_EXAMPLES_DIR) / GetParam(), std::ios::binary);
    std::ostringstream script;
    // Released at the end, as a test does (see VirtualJoystickTest::TearDown).
    script << in.rdbuf() << "\ncall FreeDirectInput\n";
    const ScriptRun run = run_host_script(script.str(), GetParam());
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result.failed_expectations, 0) << run.err;
    // The first force-feedback joystick stood in for the script's: its effects reached it, and
    // drawn from what it was sent, the constant force pushes as on the simulator ((3000, 4000),
    // then (-5000, 0)), within the device's rounding of the direction.
    if (GetParam() == "effects.txt" || GetParam() == "forces-constant.txt") {
        ASSERT_TRUE(run.result.device_recording);
        const auto source = force::preview::device_source(*run.result.device_recording);
        EXPECT_GT(source.play_count, 0u);
        LONG low_x = 0, high_x = 0, high_y = 0;
        force::preview::walk_forces(source, force::preview::plan_forces(source), [&](const auto& row) {
            low_x = std::min(low_x, row.force[0]);
            high_x = std::max(high_x, row.force[0]);
            high_y = std::max(high_y, row.force[1]);
        });
        if (GetParam() == "forces-constant.txt") {
            EXPECT_NEAR(high_x, 3000, 2);
            EXPECT_NEAR(high_y, 4000, 2);
            EXPECT_NEAR(low_x, -5000, 2);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleOnWineDirectInput, ::testing::ValuesIn(example_scripts()),
                         [](const auto& test) {
                             std::string name = test.param.substr(0, test.param.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The script commands that attach joysticks and set their state drive the virtual joysticks:
// names, first and last, state in the library's units, unplugging; and what a virtual
// joystick cannot be is a script error.
TEST(ScriptJoysticks, AreTheVirtualOnes) {
    const ScriptRun run = run_host_script(R"(declare status version joystick capabilities
joystick attach "Script Plain"
joystick attach "Script Rumble" ff
call Get_Versionsnummer
call InitDirectInput
call InitJoystick_2
expect OV_info_2 1
name Get_Joystick_Name_2
call Show_Capabilities
expect FORCEFEEDBACK_ENABLE 1024
joystick state 1 10000 -10000 5000 -5000 27000 1 16
call Get_Joystick_State
expect OV_error 97
expect JOY_X_A 10239606
expect JOY_Y_A -10239606
expect JOY_RUD_A 5119803
expect JOY_ROT_A -5119803
expect JOY_VIEW 276497
expect BUTTON_1 1024
expect BUTTON_2 0
expect BUTTON_16 1024
joystick move 1 0 5000 0 0 300
call Get_Joystick_State
expect JOY_X_A 0
expect JOY_Y_A 5119803
expect JOY_VIEW 276497
expect BUTTON_16 1024
joystick unplug 1
call Get_Joystick_State
expect OV_error 14
call InitJoystick_1
expect OV_error 53
name Get_Joystick_Name_1
call FreeDirectInput
)");
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result.failed_expectations, 0) << run.err;
    EXPECT_EQ(run.result.expectations_held, 17);
    EXPECT_NE(run.out.find("Get_Joystick_Name_2: \"Script Rumble\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Get_Joystick_Name_1: \"Script Plain\""), std::string::npos) << run.out;
    // The run plugged the joystick in again and left the names as it found them.
    EXPECT_EQ(vjoy::wait_for(kInstalledCount, std::chrono::seconds(10)), std::vector<int>{});
    for (int n : {kPlain, kSpare}) {
        auto stick = vjoy::Joystick::open(n);
        ASSERT_TRUE(stick);
        EXPECT_EQ(stick->info().product, kInstalled[n].product);
    }

    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"joystick attach \"S\" ff buttons 8\n", "t.txt:1: a virtual joystick has 4 axes, 16 buttons and 1 hat"},
        {"joystick attach \"S\"\njoystick state 0 0 0 0 0 0 17\n", "t.txt:2: a virtual joystick has 16 buttons"},
        {"joystick attach \"S\"\njoystick attach \"T\"\n",
         "t.txt:2: no free virtual joystick without force feedback is installed after those attached (tamrilo-vjoy "
         "install adds one)"},
        {"joystick attach \"S\"\njoystick state 1 0 0 0 0 0\n", "t.txt:2: no joystick 1 is attached"},
    };
    for (const Case& c : cases) EXPECT_EQ(run_host_script(c.script).error, c.error) << c.script;
}

}  // namespace
}  // namespace tamrilo::test
