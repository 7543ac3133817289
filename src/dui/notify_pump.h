#pragma once

// A notification receiver that hands the notifications of a "virtualwnd" subtree to the
// sub-pump registered under that name (for example "mainpage") and all others to its own
// HandleNotify.

#include <map>
#include <string>
#include <string_view>

#include "dui/event.h"

namespace calvorn::dui {

class NotifyPump : public INotifyReceiver {
public:
    // Registers `pump` for the controls under virtualwnd="name"; false when the name is taken.
    bool AddVirtualWnd(std::string_view name, NotifyPump* pump);
    bool RemoveVirtualWnd(std::string_view name);
    NotifyPump* GetVirtualWnd(std::string_view name) const;

    void OnNotify(Notify& notify) override;

protected:
    virtual void HandleNotify(Notify& notify) = 0;

private:
    std::map<std::string, NotifyPump*, std::less<>> pumps_;
};

}  // namespace calvorn::dui
