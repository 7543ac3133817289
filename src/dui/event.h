#pragma once

// Input events delivered to controls and notifications sent by controls.

#include <cstdint>
#include <string>

#include "dui/geometry.h"
#include "platform/ui_loop.h"

namespace calvorn::dui {

class Control;

enum class EventType {
    kMouseMove,
    kMouseEnter,
    kMouseLeave,
    kButtonDown,
    kButtonUp,
    kDoubleClick,
    kContextMenu,
    kKeyDown,
    kChar,
    kScrollWheel,
    kTimer,
    kSetFocus,
    kKillFocus,
};

enum Modifier : unsigned {
    kModCtrl = 1,
    kModShift = 2,
    kModAlt = 4,
};

// Windows virtual-key numbers used by the controls; the host maps its own key codes to them.
enum VirtualKey : std::uint32_t {
    kKeyBack = 0x08,
    kKeyTab = 0x09,
    kKeyReturn = 0x0D,
    kKeyEscape = 0x1B,
    kKeySpace = 0x20,
    kKeyPageUp = 0x21,
    kKeyPageDown = 0x22,
    kKeyEnd = 0x23,
    kKeyHome = 0x24,
    kKeyLeft = 0x25,
    kKeyUp = 0x26,
    kKeyRight = 0x27,
    kKeyDown = 0x28,
    kKeyDelete = 0x2E,
};

struct UiEvent {
    EventType type = EventType::kMouseMove;
    Control* sender = nullptr;    // the control the event is delivered to
    Point point;                  // mouse position, window pixels
    std::uint32_t key = 0;        // key down: virtual key; char: Unicode code point
    unsigned modifiers = 0;       // Modifier bits
    int wheel_delta = 0;          // positive: away from the user (scroll up), 120 per notch
    platform::WParam wparam = 0;  // timer: the timer id
};

// A notification: "click", "selectchanged", "itemselect", ... sent by a control through its
// window's paint manager.
struct Notify {
    std::string type;
    Control* sender = nullptr;
    platform::WParam wparam = 0;
    platform::LParam lparam = 0;
    Point point;              // mouse position when sent
    std::string virtual_wnd;  // the sender's nearest "virtualwnd", empty when none
};

// Receives the notifications of a window. Called on the UI thread only.
class INotifyReceiver {
public:
    virtual ~INotifyReceiver() = default;
    virtual void OnNotify(Notify& notify) = 0;
};

}  // namespace calvorn::dui
