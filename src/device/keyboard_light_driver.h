#pragma once

// What the keyboard's light thread drives: the keyboard light effects over the keyboard's
// colour array, animating its active light record, idle while the primary channel is closed
// and paused while the channel's light-hold flag is set.
//
// The driver only reads the light record (locked) and the channel's flags (atomic) and writes
// the colour array (atomic records); the effects' state belongs to the light thread. It never
// blocks, so the thread that runs it (RunLightThread) checks its stop event at least every
// LightPacer::kMaxSleep and always ends within the stop protocol's wait.

#include <cstdint>
#include <memory>

#include "device/color_array.h"
#include "device/light_parameters.h"
#include "device/light_thread.h"
#include "platform/clock.h"
#include "transport/report_transport.h"

namespace calvorn::device {

class KeyboardLightEffects;

class KeyboardLightDriver final : public LightTarget {
public:
    // All three must outlive the driver's light thread.
    KeyboardLightDriver(ColorArray& colors, const SharedLightParameters& light,
                        const transport::CReportTransport& channel);
    ~KeyboardLightDriver() override;
    KeyboardLightDriver(const KeyboardLightDriver&) = delete;
    KeyboardLightDriver& operator=(const KeyboardLightDriver&) = delete;

    ColorArray& Colors() override { return colors_; }
    LightParameters CurrentLight() const override { return light_.Load(); }
    bool PrimaryChannelOpen() const override { return channel_.IsOpen(); }
    bool LightHold() const override { return channel_.LightHold(); }
    LightPlan PlanFor(const LightParameters& light, platform::Millis now) const override;
    void RenderStep(const LightParameters& light, platform::Millis now) override;
    // The light effect list's area effects are not drawn on the keyboard preview.
    void ComposeLayers(std::uint32_t turns, platform::Millis now) override;

private:
    ColorArray& colors_;
    const SharedLightParameters& light_;
    const transport::CReportTransport& channel_;
    std::unique_ptr<KeyboardLightEffects> effects_;
};

}  // namespace calvorn::device
