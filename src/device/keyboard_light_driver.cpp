#include "device/keyboard_light_driver.h"

#include "device/light_keyboard_effects.h"

namespace calvorn::device {

KeyboardLightDriver::KeyboardLightDriver(ColorArray& colors, const SharedLightParameters& light,
                                         const transport::CReportTransport& channel)
    : colors_(colors),
      light_(light),
      channel_(channel),
      effects_(std::make_unique<KeyboardLightEffects>()) {}

KeyboardLightDriver::~KeyboardLightDriver() = default;

LightPlan KeyboardLightDriver::PlanFor(const LightParameters& light, platform::Millis) const {
    return effects_->PlanFor(light);
}

void KeyboardLightDriver::RenderStep(const LightParameters& light, platform::Millis now) {
    effects_->Render(colors_, light, now);
}

void KeyboardLightDriver::ComposeLayers(std::uint32_t, platform::Millis) {}

}  // namespace calvorn::device
