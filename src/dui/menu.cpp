#include "dui/menu.h"

#include "dui/builder.h"
#include "dui/paint_manager.h"
#include "dui/popup_window.h"
#include "dui/ui_context.h"
#include "platform/trace.h"

namespace calvorn::dui {

namespace {

constexpr int kDefaultMenuWidth = 150;
constexpr int kDefaultRowHeight = 30;

}  // namespace

struct Menu::Level {
    MenuBody* body = nullptr;
    MenuElement* opened_from = nullptr;
    std::unique_ptr<PopupWindow> popup;
};

Size MenuBody::MeasureContent(const PaintManager& scale) const {
    int width = scale.Scale(kDefaultMenuWidth);
    if (GetFixedWidth() > 0) {
        width = scale.Scale(GetFixedWidth());
    } else if (scale.GetInitSize().cx > 0) {
        width = scale.Scale(scale.GetInitSize().cx);
    }
    const Rect inset = scale.Scale(GetInset());
    int height = inset.top + inset.bottom;
    int visible = 0;
    for (int i = 0; i < GetCount(); ++i) {
        const Control* row = GetItemAt(i);
        if (!row->GetVisibleFlag() || row->IsFloat()) {
            continue;
        }
        const Rect padding = scale.Scale(row->GetPadding());
        height += scale.Scale(row->GetFixedHeight()) + padding.top + padding.bottom;
        ++visible;
    }
    if (visible > 1) {
        height += scale.Scale(GetChildPadding()) * (visible - 1);
    }
    return {width, height};
}

MenuElement::MenuElement() {
    SetFixedHeight(kDefaultRowHeight);
}

MenuElement::~MenuElement() = default;

MenuBody* MenuElement::Body() const {
    return dynamic_cast<MenuBody*>(GetParent());
}

Control* MenuElement::AddChild(std::unique_ptr<Control> child) {
    if (dynamic_cast<MenuElement*>(child.get()) == nullptr) {
        return ListContainerElement::AddChild(std::move(child));
    }
    if (!sub_menu_) {
        sub_menu_ = std::make_unique<MenuBody>();
        sub_menu_->SetManager(GetManager(), this, false);
    }
    return sub_menu_->Add(std::move(child));
}

bool MenuElement::HasSubMenu() const {
    return sub_menu_ && sub_menu_->GetCount() > 0;
}

Control* MenuElement::FindByName(std::string_view name) {
    if (Control* found = ListContainerElement::FindByName(name)) {
        return found;
    }
    return sub_menu_ ? sub_menu_->FindSubControl(name) : nullptr;
}

void MenuElement::SetManager(PaintManager* manager, Control* parent, bool init) {
    ListContainerElement::SetManager(manager, parent, init);
    if (sub_menu_) {
        sub_menu_->SetManager(manager, this, init);
    }
}

void MenuElement::DoEvent(UiEvent& event) {
    MenuBody* body = Body();
    Menu* menu = body != nullptr ? body->GetMenu() : nullptr;
    switch (event.type) {
        case EventType::kMouseEnter:
            if (IsEnabled()) {
                SetStateBits(kStateHot, true);
                Invalidate();
                if (menu != nullptr) {
                    menu->OnItemHot(*this);
                }
            }
            return;
        case EventType::kMouseLeave:
            SetStateBits(kStateHot, false);
            Invalidate();
            return;
        case EventType::kButtonDown:
        case EventType::kDoubleClick:
        case EventType::kMouseMove:
            return;
        case EventType::kButtonUp:
            if (IsEnabled() && rect_.Contains(event.point) && menu != nullptr) {
                menu->OnItemClick(*this);
            }
            return;
        case EventType::kKeyDown:
            if (event.key == kKeyReturn && IsEnabled() && menu != nullptr) {
                menu->OnItemClick(*this);
                return;
            }
            break;
        default:
            break;
    }
    ListContainerElement::DoEvent(event);
}

void MenuElement::PaintText(IRenderEngine& engine) {
    const std::string text = GetText();
    if (text.empty()) {
        return;
    }
    const Color color = ListItemTextColor(*this, *this);
    if (const IListOwner* owner = GetOwner()) {
        const ListInfo& info = owner->GetListInfo();
        engine.DrawText(rect_.Deflate(Scale(info.text_padding)), text, ResolveFont(info.font),
                        color, info.text_style);
    } else {
        engine.DrawText(rect_.Deflate(Scale(GetTextPadding())), text, ResolveFont(GetFont()), color,
                        GetTextStyle());
    }
}

Menu::Menu(PaintManager& owner, CommandHandler on_command)
    : owner_(owner), on_command_(std::move(on_command)) {}

Menu::~Menu() {
    Close();
    UiContext& context = owner_.Context();
    context.DeferDelete(std::move(root_));
    context.DeferDelete(std::move(layout_manager_));
}

std::unique_ptr<Menu> Menu::Create(PaintManager& owner, std::string_view layout, Point screen_point,
                                   unsigned align, CommandHandler on_command) {
    std::unique_ptr<Menu> menu(new Menu(owner, std::move(on_command)));
    menu->layout_manager_ = std::make_unique<PaintManager>(owner.Context());
    menu->layout_manager_->SetDpi(owner.GetDpi());
    std::unique_ptr<Control> root = Builder(*menu->layout_manager_).Build(layout);
    auto* body = dynamic_cast<MenuBody*>(root.get());
    if (body == nullptr) {
        if (root) {
            platform::TraceFormat("dui: menu layout \"%.*s\" has no Menu root",
                                  static_cast<int>(layout.size()), layout.data());
        }
        return nullptr;
    }
    menu->root_ = std::move(root);
    const Size size = body->MeasureContent(*menu->layout_manager_);
    Rect rect{screen_point.x, screen_point.y, screen_point.x + size.cx, screen_point.y + size.cy};
    if ((align & kMenuAlignRight) != 0) {
        rect.left = screen_point.x - size.cx;
        rect.right = screen_point.x;
    }
    if ((align & kMenuAlignBottom) != 0) {
        rect.top = screen_point.y - size.cy;
        rect.bottom = screen_point.y;
    }
    if (!menu->OpenLevel(*body, rect, owner, nullptr)) {
        return nullptr;
    }
    return menu;
}

bool Menu::OpenLevel(MenuBody& body, const Rect& screen_rect, PaintManager& parent,
                     MenuElement* opened_from) {
    body.SetMenu(this);
    auto level = std::make_unique<Level>();
    level->body = &body;
    level->opened_from = opened_from;
    level->popup = std::make_unique<PopupWindow>(parent, body, screen_rect, [this] { Close(); });
    if (!level->popup->IsOpen()) {
        return false;
    }
    levels_.push_back(std::move(level));
    return true;
}

bool Menu::IsOpen() const {
    return !levels_.empty();
}

void Menu::Close() {
    CloseLevelsFrom(0);
}

void Menu::CloseLevelsFrom(std::size_t level) {
    while (levels_.size() > level) {
        std::unique_ptr<Level> last = std::move(levels_.back());
        levels_.pop_back();
        last->popup.reset();
    }
}

std::vector<PaintManager*> Menu::OpenManagers() const {
    std::vector<PaintManager*> managers;
    for (const auto& level : levels_) {
        managers.push_back(&level->popup->Manager());
    }
    return managers;
}

int Menu::LevelOf(const MenuElement& item) const {
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        if (levels_[i]->body == item.GetParent()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Menu::OnItemHot(MenuElement& item) {
    const int level = LevelOf(item);
    if (level < 0) {
        return;
    }
    const auto next = static_cast<std::size_t>(level) + 1;
    if (levels_.size() > next && levels_[next]->opened_from == &item) {
        return;
    }
    CloseLevelsFrom(next);
    if (!item.HasSubMenu()) {
        return;
    }
    const MenuBody& parent_body = *levels_[static_cast<std::size_t>(level)]->body;
    MenuBody& sub = *item.GetSubMenu();
    sub.MutableListInfo() = parent_body.GetListInfo();
    sub.SetBkColor(parent_body.GetBkColor());
    sub.SetBkImage(parent_body.GetBkImage());
    sub.SetBorderColor(parent_body.GetBorderColor());
    sub.SetBorderSize(parent_body.GetBorderSize());
    sub.SetInset(parent_body.GetInset());
    PaintManager& parent = levels_[static_cast<std::size_t>(level)]->popup->Manager();
    if (parent.GetHost() == nullptr) {
        return;
    }
    const Point origin = parent.GetHost()->ClientToScreen({item.GetPos().right, item.GetPos().top});
    const Size size = sub.MeasureContent(*layout_manager_);
    OpenLevel(sub, {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy}, parent, &item);
}

void Menu::OnItemClick(MenuElement& item) {
    if (item.HasSubMenu()) {
        return;
    }
    const MenuCommand command{item.GetName(), item.GetText(), item.GetUserData()};
    const CommandHandler handler = on_command_;
    Close();
    if (handler) {
        handler(command);
    }
}

}  // namespace calvorn::dui
