#include "hid/virtual_hid_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <utility>

namespace calvorn::hid {
namespace {

// The device whose OnOutputReport this thread is running, so that an Unplug called from
// inside it does not wait for itself.
thread_local const void* tls_writing_device = nullptr;

std::string MakePath(std::uint32_t id, std::uint16_t vendor_id, std::uint16_t product_id,
                     const VirtualCollection& collection) {
    char text[96];
    std::snprintf(text, sizeof text, "virtual/%u#vid_%04x&pid_%04x&mi_%02x", id, vendor_id,
                  product_id, collection.interface_number);
    std::string path = text;
    if (collection.collection_number != 0) {
        std::snprintf(text, sizeof text, "&col%02x", collection.collection_number);
        path += text;
    }
    return path;
}

}  // namespace

class VirtualHidBackend::Port final : public VirtualHidPort {
public:
    Port(VirtualHidBackend& backend, Plugged& plugged) : backend_(backend), plugged_(plugged) {}
    void PushInput(std::uint8_t collection_number, std::span<const std::uint8_t> report) override {
        backend_.Push(plugged_, collection_number, report);
    }

private:
    VirtualHidBackend& backend_;
    Plugged& plugged_;
};

struct VirtualHidBackend::Plugged {
    std::uint32_t id = 0;
    std::shared_ptr<VirtualHidDevice> device;
    HidAttributes attributes;
    std::vector<VirtualCollection> collections;
    std::vector<std::string> paths;  // one per collection
    bool attached = false;           // paths visible and transfers allowed
    int writes_in_flight = 0;        // threads inside device->OnOutputReport
    std::unique_ptr<Port> port;
};

class VirtualHidBackend::Handle final : public HidBackendHandle {
public:
    Handle(VirtualHidBackend& backend, Plugged& plugged, std::uint8_t collection_number,
           const HidOpenOptions& options)
        : backend_(backend),
          plugged_(plugged),
          collection_number_(collection_number),
          options_(options) {}

    ~Handle() override {
        std::lock_guard lock(backend_.mutex_);
        auto& handles = backend_.handles_;
        handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
    }

    HidTransferStatus ReadReport(std::vector<std::uint8_t>& report, int timeout_ms) override {
        std::unique_lock lock(backend_.mutex_);
        if (!options_.read) {
            return HidTransferStatus::kFailed;
        }
        const auto ready = [this] { return aborted_ || removed_ || !queue_.empty(); };
        if (timeout_ms < 0) {
            arrived_.wait(lock, ready);
        } else if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
            return HidTransferStatus::kTimedOut;
        }
        if (aborted_) {
            return HidTransferStatus::kAborted;
        }
        if (removed_) {
            return HidTransferStatus::kFailed;
        }
        report = std::move(queue_.front());
        queue_.pop_front();
        return HidTransferStatus::kOk;
    }

    HidTransferStatus WriteReport(std::span<const std::uint8_t> report, int) override {
        return Send(report) ? HidTransferStatus::kOk : HidTransferStatus::kFailed;
    }

    bool SetOutputReport(std::span<const std::uint8_t> report) override { return Send(report); }

    void Abort() override {
        std::lock_guard lock(backend_.mutex_);
        aborted_ = true;
        arrived_.notify_all();
    }

    // The following run with the backend lock held.
    std::uint8_t CollectionNumber() const { return collection_number_; }
    const Plugged& Device() const { return plugged_; }
    void Deliver(std::span<const std::uint8_t> report) {
        if (options_.read && queue_.size() < kQueueCapacity) {
            queue_.emplace_back(report.begin(), report.end());
            arrived_.notify_all();
        }
    }
    void Remove() {
        removed_ = true;
        queue_.clear();
        arrived_.notify_all();
    }

private:
    // Hands an output report to the device on this thread, outside the backend lock.
    bool Send(std::span<const std::uint8_t> report) {
        std::shared_ptr<VirtualHidDevice> device;
        {
            std::lock_guard lock(backend_.mutex_);
            if (!options_.write || aborted_ || removed_ || report.empty()) {
                return false;
            }
            device = plugged_.device;
            ++plugged_.writes_in_flight;
        }
        const void* outer = tls_writing_device;
        tls_writing_device = &plugged_;
        const bool ok = device->OnOutputReport(collection_number_, report);
        tls_writing_device = outer;
        std::lock_guard lock(backend_.mutex_);
        --plugged_.writes_in_flight;
        backend_.writes_done_.notify_all();
        return ok && !removed_;
    }

    VirtualHidBackend& backend_;
    Plugged& plugged_;
    const std::uint8_t collection_number_;
    const HidOpenOptions options_;
    // Guarded by the backend lock.
    std::condition_variable arrived_;
    std::deque<std::vector<std::uint8_t>> queue_;
    bool aborted_ = false;
    bool removed_ = false;
};

VirtualHidBackend::VirtualHidBackend() = default;

VirtualHidBackend::~VirtualHidBackend() {
    std::vector<std::uint32_t> ids;
    {
        std::lock_guard lock(mutex_);
        for (const auto& plugged : plugged_) {
            if (plugged->attached) {
                ids.push_back(plugged->id);
            }
        }
    }
    for (std::uint32_t id : ids) {
        Unplug(id);
    }
}

VirtualHidBackend::Plugged* VirtualHidBackend::FindPluggedLocked(std::uint32_t id) const {
    for (const auto& plugged : plugged_) {
        if (plugged->id == id) {
            return plugged.get();
        }
    }
    return nullptr;
}

std::uint32_t VirtualHidBackend::Plug(std::shared_ptr<VirtualHidDevice> device) {
    if (!device) {
        return 0;
    }
    auto record = std::make_unique<Plugged>();
    record->device = device;
    record->attributes = {device->VendorId(), device->ProductId(), device->VersionNumber()};
    record->collections = device->Collections();
    record->port = std::make_unique<Port>(*this, *record);
    Plugged& plugged = *record;
    {
        std::lock_guard lock(mutex_);
        plugged.id = next_id_++;
        for (const VirtualCollection& collection : plugged.collections) {
            plugged.paths.push_back(MakePath(plugged.id, plugged.attributes.vendor_id,
                                             plugged.attributes.product_id, collection));
        }
        plugged_.push_back(std::move(record));
    }
    // Connected before its paths appear: anything pushed meanwhile has no reader and drops.
    device->Connect(plugged.port.get());
    std::lock_guard lock(mutex_);
    plugged.attached = true;
    return plugged.id;
}

void VirtualHidBackend::Unplug(std::uint32_t id) {
    std::shared_ptr<VirtualHidDevice> device;
    {
        std::unique_lock lock(mutex_);
        Plugged* plugged = FindPluggedLocked(id);
        if (plugged == nullptr || !plugged->attached) {
            return;
        }
        plugged->attached = false;
        for (Handle* handle : handles_) {
            if (&handle->Device() == plugged) {
                handle->Remove();
            }
        }
        const int own = tls_writing_device == plugged ? 1 : 0;
        writes_done_.wait(lock, [plugged, own] { return plugged->writes_in_flight <= own; });
        device = plugged->device;
    }
    device->Connect(nullptr);
}

bool VirtualHidBackend::IsPlugged(std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    const Plugged* plugged = FindPluggedLocked(id);
    return plugged != nullptr && plugged->attached;
}

std::vector<std::string> VirtualHidBackend::PathsOf(std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    const Plugged* plugged = FindPluggedLocked(id);
    if (plugged == nullptr || !plugged->attached) {
        return {};
    }
    return plugged->paths;
}

std::optional<std::vector<std::string>> VirtualHidBackend::EnumeratePaths() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const auto& plugged : plugged_) {
        if (plugged->attached) {
            paths.insert(paths.end(), plugged->paths.begin(), plugged->paths.end());
        }
    }
    return paths;
}

std::optional<HidOpenedPath> VirtualHidBackend::Open(std::string_view path,
                                                     const HidOpenOptions& options) {
    std::lock_guard lock(mutex_);
    for (const auto& plugged : plugged_) {
        if (!plugged->attached) {
            continue;
        }
        for (std::size_t i = 0; i < plugged->paths.size(); ++i) {
            if (plugged->paths[i] != path) {
                continue;
            }
            const VirtualCollection& collection = plugged->collections[i];
            auto handle =
                std::make_unique<Handle>(*this, *plugged, collection.collection_number, options);
            handles_.push_back(handle.get());
            HidOpenedPath opened;
            opened.handle = std::move(handle);
            opened.attributes = plugged->attributes;
            opened.report_descriptor = collection.report_descriptor;
            return opened;
        }
    }
    return std::nullopt;
}

bool VirtualHidBackend::PathExists(std::string_view path) {
    std::lock_guard lock(mutex_);
    for (const auto& plugged : plugged_) {
        if (plugged->attached &&
            std::find(plugged->paths.begin(), plugged->paths.end(), path) != plugged->paths.end()) {
            return true;
        }
    }
    return false;
}

void VirtualHidBackend::Push(Plugged& plugged, std::uint8_t collection_number,
                             std::span<const std::uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (!plugged.attached || report.empty()) {
        return;
    }
    for (Handle* handle : handles_) {
        if (&handle->Device() == &plugged && handle->CollectionNumber() == collection_number) {
            handle->Deliver(report);
        }
    }
}

}  // namespace calvorn::hid
