#pragma once

// What the keyboard's light thread drives: the keyboard light effects over the keyboard's
// colour array, animating its active light record, then the area effects of the light effect
// list; idle while the primary channel is closed and paused while the channel's light-hold
// flag is set.
//
// The driver reads the light record (locked), the channel's flags (atomic) and the LED layer
// records (under the device's light-data lock) and writes the colour array (atomic records);
// the effects' renderer state belongs to the light thread. It never blocks for long, so the
// thread that runs it (RunLightThread) checks its stop event at least every
// LightPacer::kMaxSleep and always ends within the stop protocol's wait.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "device/color_array.h"
#include "device/light_area_effects.h"
#include "device/light_parameters.h"
#include "device/light_thread.h"
#include "platform/clock.h"
#include "transport/report_transport.h"

namespace calvorn::device {

class KeyboardLightEffects;

class KeyboardLightDriver final : public LightTarget {
public:
    // All must outlive the driver's light thread. `layers` is guarded by `light_data_lock`.
    KeyboardLightDriver(ColorArray& colors, const SharedLightParameters& light,
                        const transport::CReportTransport& channel, std::mutex& light_data_lock,
                        const std::vector<LedLayerRecord>& layers);
    ~KeyboardLightDriver() override;
    KeyboardLightDriver(const KeyboardLightDriver&) = delete;
    KeyboardLightDriver& operator=(const KeyboardLightDriver&) = delete;

    ColorArray& Colors() override { return colors_; }
    LightParameters CurrentLight() const override { return light_.Load(); }
    bool PrimaryChannelOpen() const override { return channel_.IsOpen(); }
    bool LightHold() const override { return channel_.LightHold(); }
    LightPlan PlanFor(const LightParameters& light, platform::Millis now) const override;
    void RenderStep(const LightParameters& light, platform::Millis now) override;
    // Steps and draws the area effects of the LED layer records, under the light-data lock.
    void ComposeLayers(std::uint32_t turns, platform::Millis now) override;

    // The keyboard light effects. Only their members marked for any thread (refresh
    // requests, key reactions) may be used outside the light thread; the area effects only
    // under the light-data lock.
    KeyboardLightEffects& Effects() { return *effects_; }

private:
    ColorArray& colors_;
    const SharedLightParameters& light_;
    const transport::CReportTransport& channel_;
    std::mutex& light_data_lock_;
    const std::vector<LedLayerRecord>& layers_;
    std::unique_ptr<KeyboardLightEffects> effects_;
};

}  // namespace calvorn::device
