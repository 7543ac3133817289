#include "dui/control_factory.h"

#include "dui/attributes.h"
#include "dui/control.h"

namespace calvorn::dui {

void ControlFactory::Register(std::string_view class_name, Creator creator) {
    creators_[ToLower(class_name)] = std::move(creator);
}

std::unique_ptr<Control> ControlFactory::Create(std::string_view class_name) const {
    auto it = creators_.find(ToLower(class_name));
    if (it == creators_.end()) {
        it = creators_.find(ToLower("c" + std::string(class_name) + "ui"));
    }
    if (it == creators_.end() || !it->second) {
        return nullptr;
    }
    return it->second();
}

bool ControlFactory::IsRegistered(std::string_view class_name) const {
    return creators_.contains(ToLower(class_name)) ||
           creators_.contains(ToLower("c" + std::string(class_name) + "ui"));
}

}  // namespace calvorn::dui
