#include "ui/lighting/lighting_sync.h"

#include <array>

#include "device/light_tables.h"
#include "device/usb_device.h"
#include "discovery/supported_devices.h"
#include "platform/trace.h"

namespace calvorn::ui {
namespace {

// Mode per common effect, in effect order.
constexpr std::array<int, 5> kKeyboardModes = {5, 6, 25, 4, 24};
constexpr std::array<int, 5> kOtherModes = {2, 3, 4, 1, 8};

const std::array<int, 5>& ModesOf(int kind) {
    return kind == discovery::DEVICE_KEYBOARD ? kKeyboardModes : kOtherModes;
}

constexpr int kBreathingLast = 127;
constexpr std::uint8_t kBreathingColorStep = 16;
constexpr std::uint8_t kFlashingColorStep = 14;
constexpr int kFlashPeriodUnitMs = 200;
constexpr int kIdleCheckMs = 1000;

std::uint8_t AdvanceWheel(std::uint8_t index, std::uint8_t step) {
    const int next = index + step;
    return next >= static_cast<int>(device::kWheelSteps) ? 0 : static_cast<std::uint8_t>(next);
}

device::LedColor Colour(const device::RgbColor& rgb, std::uint8_t brightness) {
    return {rgb.red, rgb.green, rgb.blue, brightness};
}

bool Synchronised(device::CTalvexUSBDevice& device) {
    return device.SyncLighting() && device.PrimaryChannel().IsOpen();
}

}  // namespace

std::optional<CommonEffect> CommonEffectOf(int kind, int mode) {
    const std::array<int, 5>& modes = ModesOf(kind);
    for (std::size_t i = 0; i < modes.size(); ++i) {
        if (modes[i] == mode) {
            return static_cast<CommonEffect>(i);
        }
    }
    return std::nullopt;
}

int ModeOfEffect(int kind, CommonEffect effect) {
    return ModesOf(kind)[static_cast<std::size_t>(effect)];
}

void LightingSync::StoreEffect(const SyncEffect& effect) {
    const std::array<std::uint8_t, 8> bytes = {static_cast<std::uint8_t>(effect.effect),
                                               effect.brightness,
                                               effect.speed,
                                               effect.direction,
                                               effect.multi_color,
                                               effect.red,
                                               effect.green,
                                               effect.blue};
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        word |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    effect_.store(word, std::memory_order_release);
}

SyncEffect LightingSync::LoadEffect() const {
    const std::uint64_t word = effect_.load(std::memory_order_acquire);
    auto byte = [word](int i) { return static_cast<std::uint8_t>(word >> (8 * i)); };
    return SyncEffect{static_cast<CommonEffect>(byte(0)),
                      byte(1),
                      byte(2),
                      byte(3),
                      byte(4),
                      byte(5),
                      byte(6),
                      byte(7)};
}

void LightingSync::SetDevices(std::vector<device::CTalvexUSBDevice*> devices) {
    std::lock_guard lock(devices_mutex_);
    devices_ = std::move(devices);
}

void LightingSync::ForgetDevices() {
    std::lock_guard lock(devices_mutex_);
    devices_.clear();
}

bool LightingSync::AnySynchronised() const {
    std::lock_guard lock(devices_mutex_);
    for (device::CTalvexUSBDevice* device : devices_) {
        if (Synchronised(*device)) {
            return true;
        }
    }
    return false;
}

void LightingSync::Draw(device::LedColor colour) const {
    std::lock_guard lock(devices_mutex_);
    for (device::CTalvexUSBDevice* device : devices_) {
        if (!Synchronised(*device)) {
            continue;
        }
        const int count = static_cast<int>(device->Colors().Count());
        for (int i = 0; i < count; ++i) {
            device->SetLedColour(i, colour);
        }
    }
}

bool SyncAnimator::Step(platform::Millis now, const LightingSync& sync) {
    if (now - noted_ > platform::Millis(1)) {
        ++steps_;
        noted_ = now;
    }
    const SyncEffect effect = sync.LoadEffect();
    if (steps_ < device::PeriodOfSpeed(effect.speed)) {
        return false;
    }
    steps_ = 0;
    sync.Draw(NextFrame(effect, now));
    return true;
}

device::LedColor SyncAnimator::NextFrame(const SyncEffect& effect, platform::Millis now) {
    const std::uint8_t level = device::BrightnessOfLevel(effect.brightness);
    const device::RgbColor shared{effect.red, effect.green, effect.blue};
    switch (effect.effect) {
        case CommonEffect::kBreathing: {
            if (effect.direction != 0) {
                breathing_position_ = breathing_position_ == kBreathingLast
                                          ? 0
                                          : static_cast<std::uint8_t>(breathing_position_ + 1);
            } else {
                breathing_position_ = breathing_position_ == 0
                                          ? kBreathingLast
                                          : static_cast<std::uint8_t>(breathing_position_ - 1);
            }
            device::RgbColor rgb = shared;
            if (effect.multi_color != 0) {
                if (breathing_position_ <= 1) {
                    breathing_color_ = AdvanceWheel(breathing_color_, kBreathingColorStep);
                }
                rgb = device::kColorWheel[breathing_color_];
            }
            const int brightness = level * device::kBreathingCurve[breathing_position_] / 256;
            return Colour(rgb, static_cast<std::uint8_t>(brightness));
        }
        case CommonEffect::kSteady:
            return Colour(shared, level);
        case CommonEffect::kFlashing: {
            const platform::Millis period(device::PeriodOfSpeed(effect.speed) * kFlashPeriodUnitMs);
            if (now - last_toggle_ >= period) {
                flash_on_ = !flash_on_;
                last_toggle_ = now;
                flashing_color_ = AdvanceWheel(flashing_color_, kFlashingColorStep);
            }
            if (!flash_on_) {
                return {};
            }
            return Colour(effect.multi_color != 0 ? device::kColorWheel[flashing_color_] : shared,
                          level);
        }
        case CommonEffect::kColorCycle:
            cycle_color_ = AdvanceWheel(cycle_color_, 1);
            return Colour(device::kColorWheel[cycle_color_], level);
        case CommonEffect::kOff:
            break;
    }
    return {};
}

void RunLightingSyncThread(platform::ManualResetEvent& stop,
                           const std::shared_ptr<LightingSync>& sync,
                           const platform::Clock& clock) {
    SyncAnimator animator(clock.Now());
    while (!stop.Wait(1)) {
        if (!sync->AnySynchronised()) {
            // Waiting on the stop event rather than sleeping lets shutdown end the idle
            // thread at once.
            stop.Wait(kIdleCheckMs);
            continue;
        }
        animator.Step(clock.Now(), *sync);
    }
    platform::Trace(kSyncThreadEndTrace);
}

}  // namespace calvorn::ui
