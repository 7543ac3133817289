#include "transport/report_protocol.h"

#include <algorithm>

namespace calvorn::transport {

std::uint16_t FrameChecksum(std::span<const std::uint8_t, kReportSize> frame) {
    unsigned sum = 0;
    for (std::size_t i = kCommandByte; i < kReportSize; ++i) {
        sum += frame[i];
    }
    return static_cast<std::uint16_t>(sum);
}

void SealFrame(std::span<std::uint8_t, kReportSize> frame) {
    const std::uint16_t sum = FrameChecksum(frame);
    frame[kChecksumLowByte] = static_cast<std::uint8_t>(sum & 0xFF);
    frame[kChecksumHighByte] = static_cast<std::uint8_t>(sum >> 8);
}

bool ChecksumMatches(std::span<const std::uint8_t, kReportSize> frame) {
    const std::uint16_t stored =
        static_cast<std::uint16_t>(frame[kChecksumLowByte] | (frame[kChecksumHighByte] << 8));
    return stored == FrameChecksum(frame);
}

Frame MakeRequest(std::uint8_t command) {
    Frame frame{};
    frame[kReportIdByte] = kReportId;
    frame[kCommandByte] = command;
    return frame;
}

void SetChunkHeader(std::span<std::uint8_t, kReportSize> frame, std::uint8_t length,
                    std::uint16_t offset) {
    frame[kLengthByte] = length;
    frame[kOffsetLowByte] = static_cast<std::uint8_t>(offset & 0xFF);
    frame[kOffsetHighByte] = static_cast<std::uint8_t>(offset >> 8);
}

std::uint8_t FrameCommand(std::span<const std::uint8_t, kReportSize> frame) {
    return frame[kCommandByte];
}

std::uint8_t FrameLength(std::span<const std::uint8_t, kReportSize> frame) {
    return frame[kLengthByte];
}

std::uint16_t FrameOffset(std::span<const std::uint8_t, kReportSize> frame) {
    return static_cast<std::uint16_t>(frame[kOffsetLowByte] | (frame[kOffsetHighByte] << 8));
}

std::uint8_t FrameStatus(std::span<const std::uint8_t, kReportSize> frame) {
    return frame[kStatusByte];
}

Frame MakeReply(std::span<const std::uint8_t, kReportSize> request, std::uint8_t status) {
    Frame reply{};
    reply[kReportIdByte] = kReportId;
    std::copy(request.begin() + kCommandByte, request.begin() + kStatusByte,
              reply.begin() + kCommandByte);
    reply[kStatusByte] = status;
    SealFrame(reply);
    return reply;
}

int StatusResult(std::uint8_t status) {
    if (status == kStatusErrorFF) {
        return RESULT_STATUS_FF;
    }
    if (status == kStatusErrorFE) {
        return RESULT_STATUS_FE;
    }
    return RESULT_OK;
}

std::size_t ChunkLength(std::size_t position, std::size_t total, std::size_t chunk_size) {
    return position + chunk_size < total ? chunk_size : total - position;
}

}  // namespace calvorn::transport
