#pragma once

// `CMouseProfiledata`: the mouse's profile document. Adds "DPIStages" (the DPI stage list and
// the active stage), the mouse form of "SystemStages" with "ReportStages", and the read-only
// "CorrectInfo".

#include <array>
#include <cstdint>
#include <vector>

#include "storage/basic_profiledata.h"

namespace calvorn::storage {

// Word 0 = "DoubleClickTime" (low half), "MouseSpeed" (high); word 1 = "PointerPrecision",
// "ScorllPage"; word 2 = "WheelScorlllinse", "ReportStages"."StageActive".
using MouseSystemWords = std::array<std::uint32_t, 3>;

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Reads "DPIStages": the active stage, and one stage per element of "StageDPIs" merged
    // into the stored list (an existing position is overwritten, a new one appended, so a read
    // never shortens the list). Returns a copy of the stored list.
    std::vector<DpiStage> ReadDpiStages();
    // Replaces the stored list and writes every stage into "StageDPIs".
    void WriteDpiStages(const std::vector<DpiStage>& stages);
    // The stored active stage (as last read or set), without reading the document.
    int GetActiveStage() const { return active_stage_; }
    void SetActiveStage(int stage);

    MouseSystemWords ReadSystemStages();
    void WriteSystemStages(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);

    std::vector<CorrectionEntry> ReadCorrectInfo();

private:
    std::vector<DpiStage> dpi_stages_;
    int active_stage_ = 0;
};

}  // namespace calvorn::storage
