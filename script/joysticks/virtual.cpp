// The script's joysticks as virtual HID joysticks, for runs against Wine's own DirectInput.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>
#include <vector>

#include "platform/program_folder.h"
#include "script/joysticks/backend.h"
#include "virtual-joystick/control/virtual_joystick.h"

namespace tamrilo::joysticks {
namespace {

// The range the library sets on every axis.
constexpr double kAxisRange = 10000.0;
constexpr int kButtons = 16;
constexpr std::size_t kMaxName = 63;
// DirectInput takes in a new state (or a removal) in the background, a few milliseconds after
// the device served it; a script reading at once must see it.
constexpr auto kSettle = std::chrono::milliseconds(50);
constexpr auto kPlugTimeout = std::chrono::seconds(10);

// Where the force model finds each of the stick's axes.
force::Positions positions(const DIJOYSTATE& s) {
    force::Positions at{};
    at[0] = s.lX;
    at[1] = s.lY;
    at[2] = s.lZ;
    at[5] = s.lRz;
    return at;
}

vjoy::State to_device(const DIJOYSTATE& s) {
    auto axis = [](LONG v) {
        const double clamped = std::clamp(static_cast<double>(v), -kAxisRange, kAxisRange);
        return static_cast<std::int16_t>(std::lround(clamped * VJ_AXIS_MAX / kAxisRange));
    };
    vjoy::State out;
    out.x = axis(s.lX);
    out.y = axis(s.lY);
    out.z = axis(s.lZ);
    out.rz = axis(s.lRz);
    // The hat knows eighths of a turn: the nearest one, or centred.
    const DWORD pov = s.rgdwPOV[0];
    out.hat = pov < 36000 ? static_cast<int>((pov + 2250) / 4500 % 8) : vjoy::State::kHatCentred;
    for (int b = 0; b < kButtons; ++b) {
        if (s.rgbButtons[b] & 0x80) out.buttons = static_cast<std::uint16_t>(out.buttons | 1u << b);
    }
    return out;
}

class VirtualJoysticks : public JoystickBackend {
public:
    // A script starts with no joystick attached: every installed one is left out of
    // DirectInput's enumeration until the script attaches it.
    explicit VirtualJoysticks(const std::vector<int>& installed) : clock_(vjoy::clock_from_now()) {
        for (int number : installed) {
            auto stick = vjoy::Joystick::open(number);
            if (!stick) continue;
            const vjoy::Info info = stick->info();
            stick->set_present(false);
            free_.push_back(
                Slot{number, info.force_feedback, info.product, info.present, std::move(stick), {}, {}, {}, 0});
        }
    }

    // The joysticks are left as the script found them: listed or not, with their names, and
    // those it unplugged installed again.
    ~VirtualJoysticks() override {
        for (auto* slots : {&attached_, &free_}) {
            for (Slot& slot : *slots) {
                try {
                    if (!slot.stick) plug(slot);
                    slot.stick->set_product(slot.found_name);
                    slot.stick->set_present(slot.found_present);
                } catch (const std::exception&) {
                    // Nothing to report to at the end of a run; the next run takes them as they are.
                }
            }
        }
    }

    int attach(const JoystickSpec& spec) override {
        if (spec.axes != 4 || spec.buttons != kButtons || spec.povs != 1) {
            throw JoystickError("a virtual joystick has 4 axes, 16 buttons and 1 hat");
        }
        if (spec.name.empty() || spec.name.size() > kMaxName) {
            throw JoystickError("a virtual joystick's name has 1 to 63 characters");
        }
        // DirectInput lists the joysticks by number: each attached one follows the last, so that
        // the first and the last are the script's.
        const int after = attached_.empty() ? -1 : attached_.back().number;
        auto it = std::find_if(free_.begin(), free_.end(), [&](const Slot& s) {
            return s.force_feedback == spec.force_feedback && s.number > after;
        });
        if (it == free_.end()) {
            throw JoystickError(std::string("no free virtual joystick ") + (spec.force_feedback ? "with" : "without") +
                                " force feedback is installed after those attached (tamrilo-vjoy install adds one)");
        }
        Slot slot = std::move(*it);
        free_.erase(it);
        slot.name = spec.name;
        slot.state = DIJOYSTATE{};
        for (DWORD& pov : slot.state.rgdwPOV) pov = 0xFFFFFFFFu;
        slot.stick->set_product(spec.name);
        slot.stick->set_state(to_device(slot.state));
        slot.stick->set_present(true);
        slot.stick->drain();
        slot.lost_before = slot.stick->info().lost_records;
        slot.recording.stick.place(now(), positions(slot.state));
        attached_.push_back(std::move(slot));
        return static_cast<int>(attached_.size()) - 1;
    }

    bool has(int device) const override { return device >= 0 && device < static_cast<int>(attached_.size()); }

    // An unplugged joystick keeps the state for when it is plugged in again.
    void set_state(int device, const DIJOYSTATE& state) override {
        for (int b = kButtons; b < 32; ++b) {
            if (state.rgbButtons[b] & 0x80) throw JoystickError("a virtual joystick has 16 buttons");
        }
        Slot& slot = at(device);
        slot.state = state;
        slot.recording.stick.place(now(), positions(state));
        if (!slot.stick) return;
        slot.stick->set_state(to_device(state));
        std::this_thread::sleep_for(kSettle);
    }

    // The device has no clock of its own to move by: the axes arrive at once.
    void move(int device, const DIJOYSTATE& target, unsigned long long) override {
        DIJOYSTATE state = at(device).state;
        state.lX = target.lX;
        state.lY = target.lY;
        state.lZ = target.lZ;
        state.lRz = target.lRz;
        set_state(device, state);
    }

    void set_attached(int device, bool attached) override {
        Slot& slot = at(device);
        if (attached == slot.stick.has_value()) return;
        if (attached) {
            plug(slot);
            slot.stick->set_product(slot.name);
            slot.stick->set_state(to_device(slot.state));
        } else {
            take_reports(slot, "");
            slot.lost_before = 0;  // the device comes back with a new log
            slot.stick.reset();
            vjoy::remove(slot.number);
        }
        std::this_thread::sleep_for(kSettle);
    }

    void exported(const std::string& export_name) override {
        for (Slot& slot : attached_) take_reports(slot, export_name);
    }

    // The first joystick that was sent an effect, else the first attached.
    std::optional<force::preview::DeviceRecording> device_recording() override {
        if (attached_.empty()) return std::nullopt;
        exported("");
        auto played = std::find_if(attached_.begin(), attached_.end(), [](const Slot& s) {
            for (const auto& batch : s.recording.batches) {
                for (const vjoy::Report& r : batch.reports)
                    if (std::holds_alternative<vjoy::SetEffect>(r.payload)) return true;
            }
            return false;
        });
        Slot& slot = played != attached_.end() ? *played : attached_.front();
        slot.recording.end_us = now();
        if (slot.stick) slot.recording.lost_reports = slot.stick->info().lost_records - slot.lost_before;
        return slot.recording;
    }

private:
    struct Slot {
        int number;
        bool force_feedback;
        std::string found_name;
        bool found_present;
        std::optional<vjoy::Joystick> stick;  // empty while unplugged
        std::string name;                     // the script's, once attached
        DIJOYSTATE state;
        // What it was sent and where the script put it, since it was attached.
        force::preview::DeviceRecording recording;
        unsigned long lost_before = 0;  // reports the device had lost before
    };

    std::int64_t now() const { return vjoy::now_us(clock_); }

    void take_reports(Slot& slot, const std::string& export_name) {
        if (!slot.stick) return;
        auto reports = slot.stick->received(clock_);
        if (!reports.empty()) slot.recording.batches.push_back({export_name, std::move(reports)});
    }

    Slot& at(int device) {
        if (!has(device)) throw JoystickError("no joystick " + std::to_string(device) + " is attached");
        return attached_[static_cast<std::size_t>(device)];
    }

    // Installs a removed joystick again; it appears in the running session.
    void plug(Slot& slot) {
        std::vector<vjoy::DeviceSpec> specs(static_cast<std::size_t>(slot.number) + 1);
        specs.back() = {slot.found_name, slot.force_feedback};
        vjoy::install(platform::program_folder(), specs);
        if (!vjoy::wait_for(slot.number + 1, kPlugTimeout).empty() ||
            !(slot.stick = vjoy::Joystick::open(slot.number))) {
            throw JoystickError("virtual joystick " + std::to_string(slot.number) + " did not come back");
        }
    }

    vjoy::Clock clock_;  // from the start of the run
    std::vector<Slot> free_;
    std::vector<Slot> attached_;
};

}  // namespace

std::unique_ptr<JoystickBackend> make_virtual_joysticks() {
    const std::vector<int> installed = vjoy::installed();
    if (installed.empty()) return nullptr;
    return std::make_unique<VirtualJoysticks>(installed);
}

}  // namespace tamrilo::joysticks
