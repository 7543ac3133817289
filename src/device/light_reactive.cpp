#include "device/light_reactive.h"

#include <algorithm>

namespace calvorn::device {

namespace {

constexpr std::uint8_t kFullIntensity = 255;
constexpr std::size_t kTriggeredPositions = 9;

}  // namespace

std::uint8_t ReactiveBuffer::Intensity(std::size_t key) const {
    return key < kKeys ? intensity_[key].load(std::memory_order_relaxed) : 0;
}

void ReactiveBuffer::SetIntensity(std::size_t key, std::uint8_t value) {
    if (key < kKeys) {
        intensity_[key].store(value, std::memory_order_relaxed);
    }
}

std::uint8_t ReactiveBuffer::QueueEntry(std::size_t index) const {
    return index < kQueueLength ? queue_[index].load(std::memory_order_relaxed) : 0;
}

void ReactiveBuffer::SetQueueEntry(std::size_t index, std::uint8_t value) {
    if (index < kQueueLength) {
        queue_[index].store(value, std::memory_order_relaxed);
    }
}

void ReactiveBuffer::DecayReactive(std::size_t key, bool fine) {
    if (key >= kKeys) {
        return;
    }
    const int v = intensity_[key].load(std::memory_order_relaxed);
    int next = v;
    if (v >= 128) {
        next = v - 40;
    } else if (v >= 64) {
        next = v - 30;
    } else if (v >= 32) {
        next = v - 10;
    } else if (v > 16) {
        next = v - 8;
    } else if (v > 0) {
        next = fine ? v - 1 : std::max(v - 4, 0);
    }
    intensity_[key].store(static_cast<std::uint8_t>(next), std::memory_order_relaxed);
}

void ReactiveBuffer::TriggerReactive() {
    for (std::size_t p = 0; p < kTriggeredPositions; ++p) {
        if (QueueEntry(p) != 0) {
            SetIntensity(p, kFullIntensity);
        }
    }
}

void ReactiveBuffer::TriggerReactiveLeds(std::size_t led_count) {
    const std::size_t count = std::min({led_count, kKeys, kQueueLength - 1});
    for (std::size_t i = 0; i < count; ++i) {
        if (QueueEntry(i + 1) != 0) {
            SetIntensity(i + 1, kFullIntensity);
        }
    }
}

void ReactiveBuffer::ShiftReactiveQueue(bool forward) {
    ShiftReactiveQueue(forward, kQueueLength);
}

void ReactiveBuffer::ShiftReactiveQueue(bool forward, std::size_t length) {
    length = std::min(length, kQueueLength);
    if (length == 0) {
        return;
    }
    if (forward) {
        for (std::size_t i = length - 1; i > 0; --i) {
            SetQueueEntry(i, QueueEntry(i - 1));
        }
        SetQueueEntry(0, Spare());
    } else {
        SetSpare(QueueEntry(0));
        for (std::size_t i = 0; i + 1 < length; ++i) {
            SetQueueEntry(i, QueueEntry(i + 1));
        }
    }
}

void ReactiveBuffer::ClearReactive() {
    for (auto& value : intensity_) {
        value.store(0, std::memory_order_relaxed);
    }
    for (auto& value : queue_) {
        value.store(0, std::memory_order_relaxed);
    }
}

}  // namespace calvorn::device
