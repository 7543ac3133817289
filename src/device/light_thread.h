#pragma once

// The shape of a device's light thread: a loop that steps the current effect's renderer at the
// effect's pace and composes the LED layer records after every turn, until its stop event is
// set. The device supplies what differs between kinds through LightTarget.
//
// Timing. An effect steps once per period (milliseconds, from the kind's speed rows; a period
// of 0 steps on every turn, that is every millisecond). The thread does not wake every
// millisecond to count: it sleeps until the next step is due, and when it wakes late it runs
// every step that came due meanwhile, so the effect advances with measured time whatever the
// wake-ups. An effect whose steps draw the same frame (a static colour, off) is drawn once per
// wake and the thread wakes only every kSteadyRedraw to pick up changes; a blink sleeps until
// its next toggle. The thread looks for new light settings at least every kMaxSleep, and
// asks to wake every millisecond while the LED layer records animate, since those change on
// every turn. The running thread wakes less often than the pacer asks (LightThreadWait): the
// colours are only taken once per light frame, and a late turn catches up.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "device/color_array.h"
#include "device/light_parameters.h"
#include "platform/clock.h"
#include "platform/manual_reset_event.h"

namespace calvorn::device {

// How the current effect wants to be driven.
struct LightPlan {
    // Milliseconds between two steps of the effect; 0 steps on every turn (each millisecond).
    std::uint32_t period_ms = 0;
    // Every step draws the same frame and changes no state: one step per wake is enough.
    bool steady = false;
    // Steps before this time draw the same frame and change no state (a blink waiting for its
    // next toggle); the thread sleeps until then instead.
    std::optional<platform::Millis> unchanged_until;
    // The LED layer records change on every turn, so the thread wakes every millisecond.
    bool layers_animate = false;

    friend bool operator==(const LightPlan&, const LightPlan&) = default;
};

// What a light thread drives; implemented by the device. Called on the light thread only,
// except where a member says otherwise; the implementation makes the shared state (channel
// flags, light record, colour array) safe to read there.
class LightTarget {
public:
    virtual ~LightTarget() = default;

    // The colour array the renderers write.
    virtual ColorArray& Colors() = 0;
    // The light record the thread animates (the kind's copy of the current light settings).
    virtual LightParameters CurrentLight() const = 0;
    // While the primary channel is closed the thread idles, checking every 100 ms.
    virtual bool PrimaryChannelOpen() const = 0;
    // While the channel's light-hold flag is set the thread renders nothing.
    virtual bool LightHold() const = 0;

    // The pace of the effect that `light` selects, given the renderer state now.
    virtual LightPlan PlanFor(const LightParameters& light, platform::Millis now) const = 0;
    // One step of the effect that `light` selects.
    virtual void RenderStep(const LightParameters& light, platform::Millis now) = 0;
    // Composes the LED layer records into the colour array (under the device's light-data
    // lock) after `turns` milliseconds of turns since the last call (0 on the first).
    virtual void ComposeLayers(std::uint32_t turns, platform::Millis now) = 0;
};

// The scheduling of one light thread, without the thread: each Turn() does what is due at
// `now` and says how long to sleep. Tests drive it with a fake clock.
class LightPacer {
public:
    static constexpr platform::Millis kClosedPoll{100};
    static constexpr platform::Millis kHoldPoll{5};
    static constexpr platform::Millis kSteadyRedraw{20};
    static constexpr platform::Millis kMaxSleep{20};
    // A thread that wakes after a long stall (a suspended machine) catches up at most this
    // many steps and then resumes from the present.
    static constexpr std::uint32_t kMaxCatchUpSteps = 1000;

    platform::Millis Turn(LightTarget& target, platform::Millis now);

private:
    bool running_ = false;  // false until the first turn and after an idle stretch
    LightParameters light_;
    platform::Millis next_step_{0};
    platform::Millis last_compose_{0};
};

// When the UI thread last took the colours for a light frame. The light thread paces itself
// by it while frames are taken. Any thread.
class LightFrameMark {
public:
    void Mark(platform::Millis now) { last_.store(now.count(), std::memory_order_relaxed); }
    std::optional<platform::Millis> Last() const {
        const platform::Millis::rep last = last_.load(std::memory_order_relaxed);
        return last < 0 ? std::nullopt : std::optional(platform::Millis(last));
    }

private:
    std::atomic<platform::Millis::rep> last_{-1};
};

// The UI thread takes a light frame this often while frames run.
inline constexpr platform::Millis kLightFramePeriod{50};

// How long the light thread sleeps after a turn that asked for `pacer_wait`. While the UI
// thread takes light frames (the last at `last_frame`, at most two periods ago), the thread
// wakes once per frame, shortly before the next one is due, so every frame carries colours
// a few milliseconds old and none repeats or skips a turn. Otherwise it sleeps as the pacer
// asked, but at least 25 ms: a late wake runs every step that came due meanwhile.
platform::Millis LightThreadWait(platform::Millis now, platform::Millis pacer_wait,
                                 std::optional<platform::Millis> last_frame);

// The light thread's body: paces `target` until `stop` is set, then writes `exit_trace`.
// `frames`, when given, marks the light frames the UI thread takes.
void RunLightThread(LightTarget& target, const platform::Clock& clock,
                    const platform::ManualResetEvent& stop, std::string_view exit_trace,
                    const LightFrameMark* frames = nullptr);

}  // namespace calvorn::device
