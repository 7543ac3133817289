#include "dui/notify_pump.h"

namespace calvorn::dui {

bool NotifyPump::AddVirtualWnd(std::string_view name, NotifyPump* pump) {
    if (name.empty() || pump == nullptr || pumps_.contains(name)) {
        return false;
    }
    pumps_.emplace(std::string(name), pump);
    return true;
}

bool NotifyPump::RemoveVirtualWnd(std::string_view name) {
    auto it = pumps_.find(name);
    if (it == pumps_.end()) {
        return false;
    }
    pumps_.erase(it);
    return true;
}

NotifyPump* NotifyPump::GetVirtualWnd(std::string_view name) const {
    auto it = pumps_.find(name);
    return it != pumps_.end() ? it->second : nullptr;
}

void NotifyPump::OnNotify(Notify& notify) {
    if (!notify.virtual_wnd.empty()) {
        if (NotifyPump* pump = GetVirtualWnd(notify.virtual_wnd)) {
            pump->HandleNotify(notify);
            return;
        }
    }
    HandleNotify(notify);
}

}  // namespace calvorn::dui
