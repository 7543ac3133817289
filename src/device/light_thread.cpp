#include "device/light_thread.h"

#include <algorithm>

#include "platform/trace.h"

namespace calvorn::device {

using platform::Millis;

Millis LightPacer::Turn(LightTarget& target, Millis now) {
    if (!target.PrimaryChannelOpen()) {
        running_ = false;
        return kClosedPoll;
    }
    if (target.LightHold()) {
        // Nothing is drawn while held, and the held time is not caught up afterwards.
        running_ = false;
        return kHoldPoll;
    }
    const LightParameters light = target.CurrentLight();
    // A new effect (or new settings) steps at once, even where the old settings would have
    // drawn the same frame for a while.
    const bool restart = !running_ || light != light_;
    if (!running_) {
        last_compose_ = now;
    }
    running_ = true;
    light_ = light;

    const LightPlan plan = target.PlanFor(light, now);
    const Millis period{std::max<std::uint32_t>(plan.period_ms, 1)};
    Millis wait = kSteadyRedraw;
    if (plan.steady) {
        target.RenderStep(light, now);
    } else {
        if (restart) {
            target.RenderStep(light, now);
            next_step_ = now + period;
        } else if (now >= next_step_) {
            const auto due = static_cast<std::uint64_t>((now - next_step_) / period) + 1;
            const auto steps = std::min<std::uint64_t>(due, kMaxCatchUpSteps);
            for (std::uint64_t i = 0; i < steps; ++i) {
                target.RenderStep(light, now);
            }
            next_step_ += period * static_cast<Millis::rep>(due);
        }
        // Steps that would draw the same frame are skipped (the plan after this turn's steps).
        const std::optional<Millis> unchanged_until = target.PlanFor(light, now).unchanged_until;
        if (unchanged_until && *unchanged_until > next_step_) {
            next_step_ = *unchanged_until;
        }
        wait = next_step_ - now;
    }
    if (plan.layers_animate) {
        wait = Millis(1);
    }
    const auto turns = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(std::max<Millis::rep>((now - last_compose_).count(), 0)),
        kMaxCatchUpSteps);
    last_compose_ = now;
    target.ComposeLayers(static_cast<std::uint32_t>(turns), now);
    return std::clamp(wait, Millis(1), kMaxSleep);
}

Millis LightThreadWait(Millis now, Millis pacer_wait, std::optional<Millis> last_frame) {
    // Light frames leave for the keyboard and the preview every 50 ms. Waking more often than
    // twice per frame only costs power.
    constexpr Millis kMinWake{25};
    // Time enough to draw the colours before the frame takes them.
    constexpr Millis kFrameLead{5};
    if (last_frame && *last_frame <= now && now - *last_frame <= 2 * kLightFramePeriod) {
        // A turn that ran just before the coming frame already serves it.
        Millis wake = *last_frame + kLightFramePeriod - kFrameLead;
        while (wake - now < kFrameLead) {
            wake += kLightFramePeriod;
        }
        return wake - now;
    }
    return std::max(pacer_wait, kMinWake);
}

void RunLightThread(LightTarget& target, const platform::Clock& clock,
                    const platform::ManualResetEvent& stop, std::string_view exit_trace,
                    const LightFrameMark* frames) {
    LightPacer pacer;
    while (!stop.IsSet()) {
        const Millis now = clock.Now();
        const Millis pacer_wait = pacer.Turn(target, now);
        const std::optional<Millis> last_frame = frames != nullptr ? frames->Last() : std::nullopt;
        if (stop.Wait(static_cast<int>(LightThreadWait(now, pacer_wait, last_frame).count()))) {
            break;
        }
    }
    platform::Trace(exit_trace);
}

}  // namespace calvorn::device
