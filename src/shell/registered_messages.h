#pragma once

// The window messages Calvorn exchanges with other processes, registered by their fixed
// strings so that other programs of the same family find them.

#include <string_view>

#include "platform/ui_loop.h"

namespace calvorn::shell {

inline constexpr std::string_view kProductName = "Calvorn";
inline constexpr std::string_view kUpdateProgressName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightControlStateName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightControlRequestName =
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::string_view kDeviceTableQueryName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";

struct RegisteredMessages {
    platform::MessageId instance_activate = 0;
    platform::MessageId update_progress = 0;
    platform::MessageId light_control_state = 0;
    platform::MessageId light_control_request = 0;
    platform::MessageId device_table_query = 0;
};

// The product-name message first (start-up needs it before the single-instance check), then
// the four cooperation messages in their fixed order.
platform::MessageId RegisterInstanceActivate();
void RegisterCooperationMessages(RegisteredMessages& messages);

}  // namespace calvorn::shell
