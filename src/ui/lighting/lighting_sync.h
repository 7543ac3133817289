#pragma once

// Same mode across devices and the host animation that follows it.
//
// Same mode turns one page's lighting mode into a common effect that every device kind knows
// (breathing, steady, flashing, colour cycle, off), stores the effect's parameters in a
// `LightingSync` and marks the devices as synchronised. The synchronisation thread then draws
// one colour and brightness for all synchronised devices at the pace of the speed level.
//
// Threads: the UI thread stores the effect and the device list; the synchronisation thread
// reads them. The effect is one atomic word, so a frame always sees one whole effect. The
// device list is under a lock that the thread holds while it draws, so the UI thread can take
// the devices away (ForgetDevices) before it destroys them, even from a thread that did not
// stop in time.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "device/color_array.h"
#include "platform/clock.h"
#include "platform/manual_reset_event.h"

namespace calvorn::device {
class CTalvexUSBDevice;
}

namespace calvorn::ui {

enum class CommonEffect : std::uint8_t {
    kBreathing = 0,
    kSteady = 1,
    kFlashing = 2,
    kColorCycle = 3,
    kOff = 4,
};

// The common effect of `mode` on a device of `kind`; nullopt when the mode has none.
std::optional<CommonEffect> CommonEffectOf(int kind, int mode);
// The mode of a device of `kind` that shows `effect`.
int ModeOfEffect(int kind, CommonEffect effect);

// The values a synchronised frame is drawn from.
struct SyncEffect {
    CommonEffect effect = CommonEffect::kOff;
    std::uint8_t brightness = 0;  // level
    std::uint8_t speed = 0;       // level
    std::uint8_t direction = 0;   // non-zero: forward
    std::uint8_t multi_color = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const SyncEffect&, const SyncEffect&) = default;
};

class LightingSync {
public:
    void StoreEffect(const SyncEffect& effect);
    SyncEffect LoadEffect() const;

    // The devices the thread looks at, in the order frames reach them. UI thread.
    void SetDevices(std::vector<device::CTalvexUSBDevice*> devices);
    // Drops the device list; waits for a frame being drawn. Call before the devices go away.
    void ForgetDevices();

    // Whether an open device of the list is synchronised.
    bool AnySynchronised() const;
    // Gives `colour` to every LED of every open, synchronised device of the list.
    void Draw(device::LedColor colour) const;

private:
    // Byte 0 is the effect (off until same mode stores one), bytes 1-7 the values in SyncEffect
    // order.
    std::atomic<std::uint64_t> effect_{static_cast<std::uint64_t>(CommonEffect::kOff)};
    mutable std::mutex devices_mutex_;
    std::vector<device::CTalvexUSBDevice*> devices_;
};

// The state of one run of the synchronisation thread: the step count and the positions of
// the effects. Only the synchronisation thread uses it.
class SyncAnimator {
public:
    explicit SyncAnimator(platform::Millis start) : noted_(start) {}

    // Counts a step when more than 1 ms passed since the last one, and draws a frame into
    // `sync` once the step count reaches the period of the speed level. Returns whether it
    // drew.
    bool Step(platform::Millis now, const LightingSync& sync);
    // Advances the effect by one frame and returns its colour and brightness.
    device::LedColor NextFrame(const SyncEffect& effect, platform::Millis now);

private:
    int steps_ = 0;
    platform::Millis noted_;
    std::uint8_t breathing_position_ = 0;
    std::uint8_t breathing_color_ = 0;
    std::uint8_t flashing_color_ = 0;
    std::uint8_t cycle_color_ = 0;
    bool flash_on_ = false;
    platform::Millis last_toggle_{0};
};

// The debug line the thread writes when it ends.
inline constexpr const char* kSyncThreadEndTrace = "同步灯光线程设定退出";

// The synchronisation thread's body: runs until `stop` is set. While no device is
// synchronised it checks once a second. `clock` must outlive the thread.
void RunLightingSyncThread(platform::ManualResetEvent& stop,
                           const std::shared_ptr<LightingSync>& sync, const platform::Clock& clock);

}  // namespace calvorn::ui
