#include "discovery/device_attach.h"

#include <mutex>
#include <utility>

#include "discovery/scanner_thread.h"
#include "dui/container.h"
#include "dui/tab_layout.h"

namespace calvorn::discovery {
namespace {

constexpr std::string_view kEntryLayout = "XML\\CustomControlXML\\DeviceOption.xml";
constexpr std::string_view kPageLink = "tab_header_device";
constexpr std::string_view kLightName = "orvum_light";

constexpr DeviceOptionRow OptionRow(std::string_view label, int view_value, std::uint16_t vendor_id,
                                    std::uint16_t product_id, std::uint16_t kind) {
    return {kEntryLayout, kPageLink, kPowerSwitchName, label, view_value, vendor_id,
            product_id,   kind,      CHANNEL_PRIMARY};
}

// Every page set is built from these rows, whichever option row admitted the product.
constexpr std::size_t kBuildOptionRow = 1;
constexpr std::size_t kBuildPageRow = 1;
// Shutdown removes the page sets of these option rows.
constexpr std::size_t kFirstShutdownRow = 6;
constexpr std::size_t kLastShutdownRow = 10;

bool SameProduct(const SupportedDeviceRecord& identity, const SupportedDeviceRecord& entry) {
    return identity.vendor_id == entry.vendor_id && identity.product_id == entry.product_id &&
           identity.kind == entry.kind;
}

void SelectTab(dui::Control* control, int index) {
    if (auto* tabs = dynamic_cast<dui::TabLayout*>(control)) {
        tabs->SelectItem(index);
    }
}

dui::Control* AsControl(device::IDeviceSelectorEntry* entry) {
    return dynamic_cast<dui::Control*>(entry);
}

dui::Control* AsControl(device::IDevicePowerEntry* entry) {
    return dynamic_cast<dui::Control*>(entry);
}

// Removes `control` from the container that holds it; returns its index there, or -1.
int RemoveFromParent(dui::Control* control) {
    auto* parent =
        control != nullptr ? dynamic_cast<dui::Container*>(control->GetParent()) : nullptr;
    if (parent == nullptr) {
        return -1;
    }
    const int index = parent->GetItemIndex(control);
    parent->Remove(control);
    return index;
}

}  // namespace

const std::array<DeviceOptionRow, kDeviceOptionCount> kDeviceOptions = {
    OptionRow("mouse", 1, 0, 0, DEVICE_MOUSE),
    OptionRow("keyboard", 0, 0x3329, 0x4EAB, DEVICE_KEYBOARD),
    OptionRow("MousePad", 2, 0x320F, 0x1004, DEVICE_MOUSEPAD),
    OptionRow("HD", 3, 0, 0, DEVICE_HEADSET),
    OptionRow("keyboard", 4, 0x3299, 0x4E93, DEVICE_KEYBOARD),
    OptionRow("keyboard", 5, 0x3299, 0x4E96, DEVICE_KEYBOARD),
    OptionRow("keyboard", 6, 0x3299, 0x4E9C, DEVICE_KEYBOARD),
    OptionRow("keyboard", 7, 0x3299, 0x4EA2, DEVICE_KEYBOARD),
    OptionRow("keyboard", 8, 0x3299, 0x4EA5, DEVICE_KEYBOARD),
    OptionRow("keyboard", 9, 0x3299, 0x4EA8, DEVICE_KEYBOARD),
    OptionRow("keyboard", 10, 0x3299, 0x4E99, DEVICE_KEYBOARD),
};

const std::array<DevicePageRow, kDevicePageCount> kDevicePages = {{
    {6, 7, 0, -1, "XML\\DeviceXml\\mousedevice.xml", kLightName},
    {126, 126, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", kLightName},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", kLightName},
    {13, 0, 0, -1, "XML\\DeviceXml\\qv7290device.xml", kLightName},
}};

DeviceAttach::DeviceAttach(dui::PaintManager& manager, std::shared_ptr<DeviceList> devices,
                           platform::WindowHandle main_window, dui::CreateCallback create,
                           Hooks hooks)
    : manager_(manager),
      devices_(std::move(devices)),
      main_window_(main_window),
      create_(std::move(create)),
      hooks_(std::move(hooks)) {}

bool DeviceAttach::HandleMessage(platform::MessageId message, platform::WParam wparam) {
    if (message == WM_DEVICE_ARRIVED) {
        OnDeviceArrived(wparam);
        return true;
    }
    if (message == WM_DEVICE_REMOVED) {
        OnDeviceRemoved(wparam);
        return true;
    }
    return false;
}

DeviceAttach::DeviceVector* DeviceAttach::ListFor(int kind) {
    switch (kind) {
        case DEVICE_KEYBOARD:
            return &keyboards_;
        case DEVICE_MOUSE:
        case DEVICE_WIRELESS_MOUSE:
            return &mice_;
        case DEVICE_MOUSEPAD:
            return &mousepads_;
        case DEVICE_HEADSET:
            return &headsets_;
        default:
            return nullptr;
    }
}

void DeviceAttach::OnDeviceArrived(std::size_t index) {
    const std::optional<SupportedDeviceRecord> entry = devices_->Entry(index);
    if (!entry) {
        return;
    }
    if (entry->kind == DEVICE_KEYBOARD) {
        const int row =
            FindPrimaryRow(devices_->Rows(), entry->vendor_id, entry->product_id, entry->kind);
        bool built = false;
        if (row >= 0) {
            const SupportedDeviceRecord& primary = devices_->Rows()[static_cast<std::size_t>(row)];
            for (const device::CTalvexUSBDevice* keyboard : keyboards_) {
                built = built || SameIdentity(keyboard->Identity(), primary);
            }
        }
        if (!built) {
            BuildKeyboardPage(row);
        }
    }
    if (DeviceVector* list = ListFor(entry->kind)) {
        const bool mouse_list = list == &mice_;
        if (entry->channel_role == CHANNEL_PRIMARY) {
            AttachPrimary(*entry, *list, mouse_list);
        } else if (entry->channel_role == CHANNEL_SECONDARY) {
            AttachSecondary(*entry, *list, mouse_list);
        }
    }
    RefreshNoDeviceNotice();
    if (hooks_.after_arrival) {
        hooks_.after_arrival();
    }
}

void DeviceAttach::AttachPrimary(const SupportedDeviceRecord& entry, DeviceVector& list,
                                 bool mouse_list) {
    device::CTalvexUSBDevice* device = nullptr;
    for (device::CTalvexUSBDevice* candidate : list) {
        if (SameIdentity(candidate->Identity(), entry)) {
            device = candidate;
            break;
        }
    }
    if (device == nullptr || device->PrimaryChannel().IsOpen()) {
        return;
    }
    {
        transport::CReportTransport& channel = device->PrimaryChannel();
        std::lock_guard io(channel.IoLock());
        if (channel.Device().OpenHidDevice(entry.path, true, true, true, false)) {
            channel.SetOpen(true);
            if (mouse_list) {
                channel.SetLongTimeout(entry.kind == DEVICE_WIRELESS_MOUSE);
            }
            device->AttachIdentity(entry);
        }
    }
    const int entry_index = EntryIndexOf(device);
    if (entry_index < 0) {
        return;
    }
    const bool any_visible = AnyEntryVisible();
    SelectDeviceEntry(entry_index, true, !any_visible);
    if (device::IDeviceSelectorEntry* selector = EntryAt(entry_index)) {
        selector->Start();
    }
}

void DeviceAttach::AttachSecondary(const SupportedDeviceRecord& entry, DeviceVector& list,
                                   bool mouse_list) {
    for (device::CTalvexUSBDevice* device : list) {
        if (device->SecondaryChannel().IsOpen() || !SameProduct(device->Identity(), entry)) {
            continue;
        }
        device->OpenSecondary(entry.path);
        if (!mouse_list) {
            return;
        }
    }
}

void DeviceAttach::OnDeviceRemoved(std::size_t index) {
    const std::optional<SupportedDeviceRecord> entry = devices_->Entry(index);
    if (!entry) {
        return;
    }
    DeviceVector* list = ListFor(entry->kind);
    if (list == nullptr) {
        return;
    }
    if (entry->channel_role == CHANNEL_PRIMARY) {
        for (device::CTalvexUSBDevice* device : *list) {
            if (!SameIdentity(device->Identity(), *entry)) {
                continue;
            }
            // No lock: a transfer in flight holds it, and the close releases that transfer.
            device->PrimaryChannel().Close();
            const int entry_index = EntryIndexOf(device);
            if (entry_index >= 0) {
                HideEntry(entry_index);
            }
            return;
        }
    } else if (entry->channel_role == CHANNEL_SECONDARY) {
        const bool mouse_list = list == &mice_;
        for (device::CTalvexUSBDevice* device : *list) {
            if (!device->SecondaryChannel().IsOpen() || !SameProduct(device->Identity(), *entry)) {
                continue;
            }
            device->CloseSecondary();
            if (!mouse_list) {
                return;
            }
        }
    }
}

void DeviceAttach::HideEntry(int entry_index) {
    device::IDeviceSelectorEntry* entry = EntryAt(entry_index);
    if (entry == nullptr) {
        return;
    }
    int next = -1;
    if (AsControl(entry)->GetVisibleFlag() && entry->IsSelected()) {
        if (hooks_.before_selected_hidden) {
            hooks_.before_selected_hidden();
        }
        const dui::Container* layout = SelectorLayout();
        for (int i = 0; layout != nullptr && i < layout->GetCount(); ++i) {
            if (i != entry_index && EntryAt(i) != nullptr &&
                layout->GetItemAt(i)->GetVisibleFlag()) {
                next = i;
                break;
            }
        }
    }
    SelectDeviceEntry(entry_index, false, false);
    if (next >= 0) {
        SelectDeviceEntry(next, true, true);
    }
}

void DeviceAttach::SelectDeviceEntry(int entry_index, bool visible, bool select) {
    dui::Container* layout = SelectorLayout();
    device::IDeviceSelectorEntry* entry = EntryAt(entry_index);
    if (entry == nullptr) {
        return;
    }
    AsControl(entry)->SetVisible(visible);
    if (select) {
        SelectTab(manager_.FindControl(kPageSwitchName), entry->PageIndex());
        if (dui::Control* power = manager_.FindControl(entry->PowerContainerName())) {
            power->SetVisible(entry->PowerIndex() >= 0);
            if (entry->PowerIndex() >= 0) {
                SelectTab(power, entry->PowerIndex());
            }
        }
        entry->Select(true);
    }

    int shown = 0;
    int shown_synchronised = 0;
    for (int i = 0; i < layout->GetCount(); ++i) {
        device::IDeviceSelectorEntry* other = EntryAt(i);
        if (other != nullptr && layout->GetItemAt(i)->GetVisibleFlag()) {
            ++shown;
            shown_synchronised += other->IsSynchronised() ? 1 : 0;
        }
    }
    if (dui::Control* notice = manager_.FindControl(kNoDeviceNoticeName)) {
        notice->SetVisible(shown == 0);
    }
    if (shown == 0) {
        SelectTab(manager_.FindControl(kPowerSwitchName), 0);
        SelectTab(manager_.FindControl(kPageSwitchName), 0);
    }
    for (const DeviceVector* list : {&keyboards_, &mice_, &mousepads_, &headsets_}) {
        for (device::CTalvexUSBDevice* device : *list) {
            if (device::ILightingPanel* panel = device->LightingPanel()) {
                panel->SetMultiDevice(shown > 1);
            }
        }
    }
    if (shown_synchronised <= 1) {
        for (int i = 0; i < layout->GetCount(); ++i) {
            if (device::IDeviceSelectorEntry* other = EntryAt(i)) {
                other->SetSynchronised(false);
            }
        }
    }
}

void DeviceAttach::BuildKeyboardPage(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= devices_->Size()) {
        return;
    }
    const SupportedDeviceRecord& product = devices_->Rows()[static_cast<std::size_t>(row)];
    bool listed = false;
    for (const DeviceOptionRow& option : kDeviceOptions) {
        listed = listed || (option.vendor_id == product.vendor_id &&
                            option.product_id == product.product_id &&
                            option.kind == product.kind && option.channel_role == CHANNEL_PRIMARY);
    }
    auto* selector_layout = SelectorLayout();
    auto* page_switch = dynamic_cast<dui::Container*>(manager_.FindControl(kPageSwitchName));
    auto* power_switch = dynamic_cast<dui::Container*>(manager_.FindControl(kPowerSwitchName));
    if (!listed || selector_layout == nullptr || page_switch == nullptr ||
        power_switch == nullptr) {
        return;
    }
    const DeviceOptionRow& option = kDeviceOptions[kBuildOptionRow];
    const DevicePageRow& page_row = kDevicePages[kBuildPageRow];

    dui::Builder builder(manager_);
    std::unique_ptr<dui::Control> power_control = builder.Build(kPowerEntryLayout, create_);
    std::unique_ptr<dui::Control> page_control = builder.Build(page_row.page_layout, create_);
    std::unique_ptr<dui::Control> entry_control = builder.Build(option.entry_layout, create_);
    auto* power = dynamic_cast<device::IDevicePowerEntry*>(power_control.get());
    auto* device = dynamic_cast<device::CTalvexUSBDevice*>(page_control.get());
    auto* entry = dynamic_cast<device::IDeviceSelectorEntry*>(entry_control.get());
    if (power == nullptr || device == nullptr || entry == nullptr) {
        return;
    }

    power_switch->Add(std::move(power_control));
    power->Initialise(product.kind, 0);
    power_entries_.push_back(power);

    device->SetPageLayoutPath(page_row.page_layout);
    device->SetMainWindow(&manager_.Loop(), main_window_);
    device->SetKeyCount(page_row.key_count);
    device->SetLedCount(page_row.led_count);
    device->SetPowerValue(page_row.power_value);
    device->SetLabel(option.label);
    device->LinkPowerEntry(power);
    device->AttachIdentity(product);
    device->SetViewValue(option.view_value);
    device->SetLightName(page_row.light_name);
    device->BindPage();
    page_switch->Add(std::move(page_control));
    keyboards_.push_back(device);

    selector_layout->Add(std::move(entry_control));
    entry->ShowSynchroCheck(false);
    entry->SetGroup(option.page_link);
    entry->BindPage(kPageSwitchName, page_switch->GetCount() - 1);
    entry->SetPowerLink(option.power_link, power_switch->GetCount() - 1);
    entry->SetKind(device->Kind(), device->ChannelRole());
    AsControl(entry)->SetVisible(false);
    entry->SetDeviceName(option.label);
    entry->LinkDevice(device);
    entry->SetKeySelectionPanel(device->KeySelectionPanel());
}

void DeviceAttach::Shutdown() {
    for (std::size_t option_row = kFirstShutdownRow; option_row <= kLastShutdownRow; ++option_row) {
        const DeviceOptionRow& option = kDeviceOptions[option_row];
        const int row =
            FindPrimaryRow(devices_->Rows(), option.vendor_id, option.product_id, option.kind);
        DeviceVector* list = ListFor(option.kind);
        if (row < 0 || list == nullptr) {
            continue;
        }
        const SupportedDeviceRecord& primary = devices_->Rows()[static_cast<std::size_t>(row)];
        for (device::CTalvexUSBDevice* device : *list) {
            if (SameIdentity(device->Identity(), primary)) {
                device->PrimaryChannel().Close();
                RemovePageSet(device, *list);
                break;
            }
        }
    }
}

void DeviceAttach::RemovePageSet(device::CTalvexUSBDevice* device, DeviceVector& list) {
    device::IDeviceSelectorEntry* entry = device->SelectorEntry();
    device::IDevicePowerEntry* power = device->PowerEntry();
    if (entry != nullptr) {
        entry->LinkDevice(nullptr);
        device->LinkSelectorEntry(nullptr);
    }
    device->LinkPowerEntry(nullptr);
    std::erase(list, device);
    std::erase(power_entries_, power);

    const int power_index = RemoveFromParent(AsControl(power));
    const int page_index = RemoveFromParent(device);
    RemoveFromParent(AsControl(entry));
    const dui::Container* layout = SelectorLayout();
    for (int i = 0; layout != nullptr && i < layout->GetCount(); ++i) {
        device::IDeviceSelectorEntry* other = EntryAt(i);
        if (other == nullptr) {
            continue;
        }
        if (page_index >= 0 && other->PageIndex() > page_index) {
            other->BindPage(other->PageContainerName(), other->PageIndex() - 1);
        }
        if (power_index >= 0 && other->PowerIndex() > power_index) {
            other->SetPowerLink(other->PowerContainerName(), other->PowerIndex() - 1);
        }
    }
}

bool DeviceAttach::AnyEntryVisible() const {
    const dui::Container* layout = SelectorLayout();
    for (int i = 0; layout != nullptr && i < layout->GetCount(); ++i) {
        if (EntryAt(i) != nullptr && layout->GetItemAt(i)->GetVisibleFlag()) {
            return true;
        }
    }
    return false;
}

void DeviceAttach::RefreshNoDeviceNotice() {
    if (dui::Control* notice = manager_.FindControl(kNoDeviceNoticeName)) {
        notice->SetVisible(!AnyEntryVisible());
    }
}

dui::Container* DeviceAttach::SelectorLayout() const {
    return dynamic_cast<dui::Container*>(manager_.FindControl(kSelectorLayoutName));
}

device::IDeviceSelectorEntry* DeviceAttach::EntryAt(int entry_index) const {
    const dui::Container* layout = SelectorLayout();
    if (layout == nullptr) {
        return nullptr;
    }
    return dynamic_cast<device::IDeviceSelectorEntry*>(layout->GetItemAt(entry_index));
}

int DeviceAttach::EntryIndexOf(const device::CTalvexUSBDevice* device) const {
    const dui::Container* layout = SelectorLayout();
    for (int i = 0; layout != nullptr && i < layout->GetCount(); ++i) {
        const device::IDeviceSelectorEntry* entry = EntryAt(i);
        if (entry != nullptr && entry->Device() == device) {
            return i;
        }
    }
    return -1;
}

}  // namespace calvorn::discovery
