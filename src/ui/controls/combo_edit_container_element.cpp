#include "ui/controls/combo_edit_container_element.h"

#include "dui/builder.h"
#include "dui/paint_manager.h"

namespace calvorn::ui {

namespace {

bool IsMouseEvent(dui::EventType type) {
    switch (type) {
        case dui::EventType::kMouseMove:
        case dui::EventType::kMouseEnter:
        case dui::EventType::kMouseLeave:
        case dui::EventType::kButtonDown:
        case dui::EventType::kButtonUp:
        case dui::EventType::kDoubleClick:
        case dui::EventType::kContextMenu:
        case dui::EventType::kScrollWheel:
            return true;
        default:
            return false;
    }
}

}  // namespace

void CComboEditContainerElementUI::DoInit() {
    dui::PaintManager* manager = GetManager();
    std::unique_ptr<dui::Control> item = dui::Builder(*manager).Build(kItemLayout);
    if (!item) {
        return;
    }
    RemoveAll();
    Add(std::move(item));
    text1_ = FindSubControl("text1");
    text2_ = FindSubControl("text2");
    delay_edit_ = FindSubControl("delay_edit");
}

void CComboEditContainerElementUI::DoEvent(dui::UiEvent& event) {
    dui::IListOwner* owner = GetOwner();
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (owner != nullptr) {
            owner->OwnerControl()->DoEvent(event);
        } else {
            dui::ListContainerElement::DoEvent(event);
        }
        return;
    }
    switch (event.type) {
        case dui::EventType::kDoubleClick:
            if (IsEnabled()) {
                Activate();
                Invalidate();
            }
            return;
        case dui::EventType::kKeyDown:
            if (event.key == dui::kKeyReturn && IsEnabled()) {
                Activate();
                Invalidate();
                SendNotify("return");
                return;
            }
            break;
        case dui::EventType::kButtonDown:
            if (IsEnabled()) {
                if ((event.modifiers & dui::kModCtrl) != 0 && owner != nullptr) {
                    if (IsSelected()) {
                        owner->UnSelectItem(GetIndex());
                    } else {
                        owner->SelectMultiItem(GetIndex());
                    }
                } else {
                    Select(true);
                }
                Invalidate();
            }
            return;
        case dui::EventType::kButtonUp:
            if (IsEnabled()) {
                SendNotify("itemclick");
            }
            return;
        case dui::EventType::kMouseMove:
            return;
        case dui::EventType::kMouseEnter:
        case dui::EventType::kMouseLeave:
        case dui::EventType::kTimer:
        case dui::EventType::kContextMenu:
            dui::ListContainerElement::DoEvent(event);
            return;
        default:
            break;
    }
    if (owner != nullptr) {
        owner->OwnerControl()->DoEvent(event);
    } else {
        dui::ListContainerElement::DoEvent(event);
    }
}

void CComboEditContainerElementUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "normalimage" || name == "hotimage" || name == "selectedimage") {
        return;
    }
    dui::ListContainerElement::SetAttribute(name, value);
}

}  // namespace calvorn::ui
