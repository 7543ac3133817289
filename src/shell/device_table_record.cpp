#include "shell/device_table_record.h"

namespace calvorn::shell {
namespace {

constexpr std::size_t kHeaderWords = 5;  // four fixed values and the count
constexpr std::size_t kWordsPerRow = 3;
constexpr std::size_t kMaxRows = (kDeviceTableRecordBytes / 4 - kHeaderWords) / kWordsPerRow;

void PutWord(std::array<std::uint8_t, kDeviceTableRecordBytes>& record, std::size_t word,
             std::uint32_t value) {
    for (std::size_t byte = 0; byte < 4; ++byte) {
        record[word * 4 + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
    }
}

}  // namespace

std::array<std::uint8_t, kDeviceTableRecordBytes> MakeDeviceTableRecord(
    std::span<const discovery::SupportedDeviceRecord> rows) {
    std::array<std::uint8_t, kDeviceTableRecordBytes> record{};
    const std::size_t count = rows.size() < kMaxRows ? rows.size() : kMaxRows;
    PutWord(record, 0, 2);
    PutWord(record, 1, 3);
    PutWord(record, 2, 0);
    PutWord(record, 3, 2);
    PutWord(record, 4, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t word = kHeaderWords + i * kWordsPerRow;
        PutWord(record, word, rows[i].vendor_id);
        PutWord(record, word + 1, rows[i].product_id);
        PutWord(record, word + 2, rows[i].interface_number);
    }
    return record;
}

}  // namespace calvorn::shell
