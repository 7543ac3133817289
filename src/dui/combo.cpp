#include "dui/combo.h"

#include <algorithm>

#include "dui/attributes.h"
#include "dui/paint_manager.h"
#include "dui/popup_window.h"
#include "dui/vertical_layout.h"

namespace calvorn::dui {

namespace {

IListItem* AsItem(Control* control) {
    return dynamic_cast<IListItem*>(control);
}

}  // namespace

Combo::Combo() : rows_(std::make_unique<VerticalLayout>()) {
    rows_->SetBkColor(0xFFFFFFFF);
    rows_->EnableScrollBar(true, false);
    rows_->SetManager(nullptr, this, false);
    SetTextPadding({4, 0, 4, 0});
}

Combo::~Combo() {
    CloseDropList();
}

int Combo::GetCount() const {
    return rows_->GetCount();
}

Control* Combo::GetItemAt(int index) const {
    return rows_->GetItemAt(index);
}

int Combo::GetItemIndex(const Control* row) const {
    return rows_->GetItemIndex(row);
}

Control* Combo::Add(std::unique_ptr<Control> row) {
    return AddAt(std::move(row), GetCount());
}

Control* Combo::AddAt(std::unique_ptr<Control> row, int index) {
    Control* added = rows_->AddAt(std::move(row), index);
    if (added == nullptr) {
        return nullptr;
    }
    if (cur_sel_ >= 0 && GetItemIndex(added) <= cur_sel_) {
        ++cur_sel_;
    }
    Reindex();
    return added;
}

bool Combo::Remove(Control* row) {
    const int index = GetItemIndex(row);
    if (index < 0) {
        return false;
    }
    if (IListItem* item = AsItem(row)) {
        item->SetOwner(nullptr);
    }
    rows_->Remove(row);
    if (index == cur_sel_) {
        cur_sel_ = -1;
    } else if (index < cur_sel_) {
        --cur_sel_;
    }
    Reindex();
    Invalidate();
    return true;
}

bool Combo::RemoveAt(int index) {
    return Remove(GetItemAt(index));
}

void Combo::RemoveAll() {
    rows_->RemoveAll();
    cur_sel_ = -1;
    Invalidate();
}

void Combo::Reindex() {
    for (int i = 0; i < GetCount(); ++i) {
        if (IListItem* item = AsItem(GetItemAt(i))) {
            item->SetIndex(i);
            item->SetOwner(this);
        }
    }
}

bool Combo::SelectItem(int index, bool, bool notify) {
    if (index < -1 || index >= GetCount()) {
        return false;
    }
    if (index == cur_sel_) {
        CloseDropList();
        return true;
    }
    const int old = cur_sel_;
    if (IListItem* previous = AsItem(GetItemAt(old))) {
        previous->Select(false, false);
    }
    cur_sel_ = index;
    if (IListItem* item = AsItem(GetItemAt(index))) {
        item->Select(true, false);
    }
    Invalidate();
    CloseDropList();
    if (notify) {
        SendNotify("itemselect", static_cast<platform::WParam>(index), old);
    }
    return true;
}

bool Combo::SelectMultiItem(int index, bool notify) {
    return SelectItem(index, false, notify);
}

bool Combo::UnSelectItem(int index) {
    if (index != cur_sel_ || index < 0) {
        return false;
    }
    if (IListItem* item = AsItem(GetItemAt(index))) {
        item->Select(false, false);
    }
    cur_sel_ = -1;
    Invalidate();
    return true;
}

std::string Combo::GetText() const {
    const Control* row = GetItemAt(cur_sel_);
    return row != nullptr ? row->GetText() : std::string();
}

bool Combo::IsDropped() const {
    return drop_ != nullptr && drop_->IsOpen();
}

bool Combo::OpenDropList() {
    PaintManager* manager = GetManager();
    if (IsDropped() || manager == nullptr || manager->GetHost() == nullptr || !IsEnabled()) {
        return false;
    }
    const int width = drop_box_size_.cx > 0 ? Scale(drop_box_size_.cx) : rect_.Width();
    int height = Scale(rows_->GetInset().top + rows_->GetInset().bottom);
    int visible = 0;
    for (int i = 0; i < GetCount(); ++i) {
        const Control* row = GetItemAt(i);
        if (!row->GetVisibleFlag()) {
            continue;
        }
        const Rect padding = Scale(row->GetPadding());
        height += row->EstimateSize({width, 0}).cy + padding.top + padding.bottom;
        ++visible;
    }
    if (visible > 1) {
        height += Scale(rows_->GetChildPadding()) * (visible - 1);
    }
    if (drop_box_size_.cy > 0) {
        height = std::min(height, Scale(drop_box_size_.cy));
    }
    const Point origin = manager->GetHost()->ClientToScreen({rect_.left, rect_.bottom});
    const Rect screen{origin.x, origin.y, origin.x + width, origin.y + std::max(height, 1)};
    drop_ = std::make_unique<PopupWindow>(*manager, *rows_, screen, [this] { CloseDropList(); });
    if (!drop_->IsOpen()) {
        drop_.reset();
        return false;
    }
    Invalidate();
    SendNotify("dropdown");
    if (cur_sel_ >= 0) {
        drop_->Manager().UpdateLayout();
        rows_->EnsureVisible(GetItemAt(cur_sel_));
    }
    return true;
}

void Combo::CloseDropList() {
    if (!drop_) {
        return;
    }
    std::unique_ptr<PopupWindow> drop = std::move(drop_);
    drop->Close();
    SetStateBits(kStatePushed | kStateCaptured, false);
    Invalidate();
}

Control* Combo::FindByName(std::string_view name) {
    if (GetName() == name) {
        return this;
    }
    return rows_->FindSubControl(name);
}

void Combo::Visit(const std::function<void(Control&)>& visit) {
    visit(*this);
    for (int i = 0; i < GetCount(); ++i) {
        GetItemAt(i)->Visit(visit);
    }
}

void Combo::SetManager(PaintManager* manager, Control* parent, bool init) {
    if (manager != GetManager()) {
        CloseDropList();
    }
    Label::SetManager(manager, parent, init);
    rows_->SetManager(manager, this, init);
}

bool Combo::Activate() {
    if (!Control::Activate()) {
        return false;
    }
    if (IsDropped()) {
        CloseDropList();
    } else {
        OpenDropList();
    }
    return true;
}

void Combo::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::kButtonDown:
            if (IsEnabled() && rect_.Contains(event.point)) {
                Activate();
                SetStateBits(kStatePushed | kStateCaptured, IsDropped());
                Invalidate();
            }
            return;
        case EventType::kButtonUp:
            SetStateBits(kStateCaptured, false);
            return;
        case EventType::kMouseMove:
            return;
        case EventType::kMouseEnter:
            if (IsEnabled()) {
                SetStateBits(kStateHot, true);
                Invalidate();
            }
            return;
        case EventType::kMouseLeave:
            SetStateBits(kStateHot, false);
            Invalidate();
            return;
        case EventType::kKeyDown:
            if (!IsEnabled()) {
                return;
            }
            if (event.key == kKeyUp && cur_sel_ > 0) {
                SelectItem(cur_sel_ - 1);
            } else if (event.key == kKeyDown && cur_sel_ + 1 < GetCount()) {
                SelectItem(cur_sel_ + 1);
            } else if (event.key == kKeyReturn || event.key == kKeySpace) {
                Activate();
            }
            return;
        case EventType::kScrollWheel:
            if (IsEnabled()) {
                if (event.wheel_delta > 0 && cur_sel_ > 0) {
                    SelectItem(cur_sel_ - 1);
                } else if (event.wheel_delta < 0 && cur_sel_ + 1 < GetCount()) {
                    SelectItem(cur_sel_ + 1);
                }
            }
            return;
        default:
            Label::DoEvent(event);
    }
}

void Combo::SetAttribute(std::string_view name, std::string_view value) {
    if (info_.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "normalimage") {
        normal_image_ = value;
    } else if (name == "hotimage") {
        hot_image_ = value;
    } else if (name == "pushedimage") {
        pushed_image_ = value;
    } else if (name == "disabledimage") {
        disabled_image_ = value;
    } else if (name == "dropboxsize") {
        drop_box_size_ = ParseSize(value);
    } else if (name == "dropbox") {
        rows_->ApplyAttributeList(value);
    } else {
        Label::SetAttribute(name, value);
    }
}

void Combo::PaintStatusImage(IRenderEngine& engine) {
    const std::string* image = &normal_image_;
    if (!IsEnabled()) {
        if (!disabled_image_.empty()) {
            image = &disabled_image_;
        }
    } else if (IsPushed() && !pushed_image_.empty()) {
        image = &pushed_image_;
    } else if (IsHot() && !hot_image_.empty()) {
        image = &hot_image_;
    }
    DrawImage(engine, *image);
}

void Combo::PaintText(IRenderEngine& engine) {
    DrawTextIn(engine, GetText(), IsEnabled() ? GetTextColor() : GetDisabledTextColor());
}

}  // namespace calvorn::dui
