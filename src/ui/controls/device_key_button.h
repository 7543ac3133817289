#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/device_base.h"
#include "dui/button.h"

namespace calvorn::ui {

// `CDeviceKeyButtonUI` ("DeviceKeyButton"): one key or LED on a device picture. Over its
// button image it draws the light image tinted with the key's light colour and brightness
// while the light is shown, then the key-set mark unless it is hidden. A button without a
// light image draws its light as a rounded key cap filled with the colour at that
// brightness, so a device page shows live colours without images; that cap is the button's
// live part when a layered panel holds it. The device's light frames reach it as an
// ILedButton.
class CDeviceKeyButtonUI : public dui::Button, public device::ILedButton {
public:
    std::string_view GetClass() const override { return "DeviceKeyButton"; }

    const std::string& GetLightImage() const { return light_image_; }
    const std::string& GetKeySetImage() const { return keyset_image_; }
    // `colour` packs red, blue and green as R + B × 256 + G × 65536; brightness is 0..255.
    void SetLightColor(std::uint32_t colour, int brightness, bool shown) override;
    std::uint32_t GetLightColor() const { return light_colour_; }
    int GetLightBrightness() const { return light_brightness_; }
    bool IsLightShown() const { return light_shown_; }
    void SetKeySetHidden(bool hidden);
    bool IsKeySetHidden() const { return keyset_hidden_; }
    // Set by the selection panel: 1 when the last rubber band touched the button, else 0.
    int GetRubberBandSelected() const { return rubber_band_selected_; }
    void SetRubberBandSelected(int selected) { rubber_band_selected_ = selected; }

    void DoEvent(dui::UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(dui::IRenderEngine& engine) override;
    void PaintLive(dui::IRenderEngine& engine) override;

private:
    // The cap's rectangle, a little inside the button; none when the button is too small.
    std::optional<dui::Rect> KeyCap() const;
    // The light colour at `brightness` (255: as it is), as opaque ARGB.
    dui::Color LightArgb(int brightness) const;

    std::string light_image_;
    std::string keyset_image_;
    bool light_shown_ = false;
    std::uint32_t light_colour_ = 255;
    int light_brightness_ = 200;
    bool keyset_hidden_ = true;
    int rubber_band_selected_ = 0;
};

}  // namespace calvorn::ui
