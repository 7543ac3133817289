#pragma once

// Identifiers of profiles and macros, made from the local time.

#include <chrono>
#include <string>

namespace calvorn::storage {

// The local time `when` as "%d_%02d_%02d_%02d_%02d_%02d_%03d": year (unpadded), month, day,
// hour, minute, second, millisecond.
std::string MakeTimeStamp(std::chrono::system_clock::time_point when);

// The stamp of the current local time. Two calls in one process never give the same stamp:
// a call within the millisecond of the previous one takes the next millisecond, so two
// profiles made in quick succession never share (and overwrite) one file.
std::string MakeTimeStamp();

}  // namespace calvorn::storage
