#include "discovery/scanner_thread.h"

#include <utility>

#include "platform/trace.h"

namespace calvorn::discovery {
namespace {

bool SameAddress(const SupportedDeviceRecord& row, const SupportedDeviceRecord& candidate) {
    return row.vendor_id == candidate.vendor_id && row.product_id == candidate.product_id &&
           row.collection_number == candidate.collection_number &&
           row.interface_number == candidate.interface_number;
}

}  // namespace

ScannerThread::ScannerThread(hid::HidBackend& backend, std::shared_ptr<DeviceList> devices,
                             platform::UiLoop& loop, platform::WindowHandle main_window,
                             platform::MessageId instance_activate)
    : backend_(backend),
      devices_(std::move(devices)),
      loop_(loop),
      main_window_(main_window),
      instance_activate_(instance_activate),
      probe_(backend) {}

void ScannerThread::Run(platform::ManualResetEvent& stop) {
    while (!stop.IsSet()) {
        Cycle();
        stop.Wait(static_cast<int>(kScanInterval.count()));
    }
    platform::Trace("抓取设备线程设定退出");
}

void ScannerThread::Cycle() {
    if (devices_->AnyFree()) {
        MatchingPass();
    }
    RemovalCheck();
}

void ScannerThread::MatchingPass() {
    ++enumerations_;
    // A failed listing skips this pass only: the next cycle lists again, so a passing error
    // does not end device discovery for the rest of the session.
    if (probe_.EnumerateHidPaths()) {
        while (std::optional<std::string> path = probe_.NextHidPath()) {
            ConsiderPath(*path);
        }
    }
    if (first_pass_) {
        first_pass_ = false;
        loop_.PostMessage(main_window_, instance_activate_, 0, 0);
    }
    probe_.FreeHidPaths();
}

void ScannerThread::ConsiderPath(const std::string& path) {
    SupportedDeviceRecord candidate;
    candidate.vendor_id = hid::ParseVendorId(path);
    candidate.product_id = hid::ParseProductId(path);
    candidate.collection_number = hid::ParseCollectionNumber(path);
    candidate.interface_number = hid::ParseInterfaceNumber(path);
    candidate.path = path;

    bool listed = false;
    for (const SupportedDeviceRecord& row : devices_->Rows()) {
        listed = listed || SameAddress(row, candidate);
    }
    if (!listed || !devices_->FindFree(candidate, false)) {
        return;
    }

    if (!probe_.OpenHidDevice(path, true, false, true, false)) {
        return;
    }
    candidate.vendor_id = probe_.Attributes().vendor_id;
    candidate.product_id = probe_.Attributes().product_id;
    candidate.usage_page = probe_.Capabilities().usage_page;
    candidate.usage = probe_.Capabilities().usage;

    for (const SupportedDeviceRecord& row : devices_->Rows()) {
        if (SameAddress(row, candidate) && row.usage_page == candidate.usage_page &&
            row.usage == candidate.usage) {
            candidate.kind = row.kind;
            candidate.channel_role = row.channel_role;
            break;
        }
    }
    if (const std::optional<std::size_t> entry = devices_->FindFree(candidate, true)) {
        devices_->Attach(*entry, candidate.path);
        loop_.SendMessage(main_window_, WM_DEVICE_ARRIVED, *entry, 0);
    }
    probe_.CloseHidDevice();
}

void ScannerThread::RemovalCheck() {
    for (const auto& [index, path] : devices_->AttachedEntries()) {
        if (!backend_.PathExists(path)) {
            devices_->Detach(index);
            loop_.SendMessage(main_window_, WM_DEVICE_REMOVED, index, 0);
        }
    }
}

}  // namespace calvorn::discovery
