#include "shell/registered_messages.h"

namespace calvorn::shell {

platform::MessageId RegisterInstanceActivate() {
    return platform::RegisterWindowMessage(kProductName);
}

void RegisterCooperationMessages(RegisteredMessages& messages) {
    messages.update_progress = platform::RegisterWindowMessage(kUpdateProgressName);
    messages.light_control_state = platform::RegisterWindowMessage(kLightControlStateName);
    messages.light_control_request = platform::RegisterWindowMessage(kLightControlRequestName);
    messages.device_table_query = platform::RegisterWindowMessage(kDeviceTableQueryName);
}

}  // namespace calvorn::shell
