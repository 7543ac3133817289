#include "device/keyboard_light_driver.h"

#include "device/light_keyboard_effects.h"

namespace calvorn::device {

KeyboardLightDriver::KeyboardLightDriver(ColorArray& colors, const SharedLightParameters& light,
                                         const transport::CReportTransport& channel,
                                         std::mutex& light_data_lock,
                                         const std::vector<LedLayerRecord>& layers)
    : colors_(colors),
      light_(light),
      channel_(channel),
      light_data_lock_(light_data_lock),
      layers_(layers),
      effects_(std::make_unique<KeyboardLightEffects>()) {}

KeyboardLightDriver::~KeyboardLightDriver() = default;

LightPlan KeyboardLightDriver::PlanFor(const LightParameters& light, platform::Millis) const {
    LightPlan plan = effects_->PlanFor(light);
    std::lock_guard lock(light_data_lock_);
    plan.layers_animate = plan.layers_animate || AreaEffects::Animates(layers_);
    return plan;
}

void KeyboardLightDriver::RenderStep(const LightParameters& light, platform::Millis now) {
    effects_->Render(colors_, light, now);
}

void KeyboardLightDriver::ComposeLayers(std::uint32_t turns, platform::Millis now) {
    std::lock_guard lock(light_data_lock_);
    effects_->Areas().Compose(colors_, layers_, turns, now);
}

}  // namespace calvorn::device
