#pragma once

// Creators for the program's own control classes, registered by class name at start-up (no
// static registration). The builder asks it for classes it does not know itself.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace calvorn::dui {

class Control;

class ControlFactory {
public:
    using Creator = std::function<std::unique_ptr<Control>()>;

    // Registers (or replaces) the creator for `class_name` ("CSelectPanelUI").
    void Register(std::string_view class_name, Creator creator);
    // Creates by exact class name without regard to case, then by "C" + name + "UI" (so the
    // layout name "SelectPanel" finds "CSelectPanelUI"). Null when neither is registered.
    std::unique_ptr<Control> Create(std::string_view class_name) const;
    bool IsRegistered(std::string_view class_name) const;

private:
    std::map<std::string, Creator, std::less<>> creators_;  // keys in lower case
};

}  // namespace calvorn::dui
