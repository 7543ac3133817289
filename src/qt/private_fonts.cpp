#include "qt/private_fonts.h"

#include <QByteArray>
#include <QFontDatabase>
#include <fstream>
#include <iterator>

namespace calvorn::qt {

PrivateFonts::~PrivateFonts() {
    for (auto it = ids_.rbegin(); it != ids_.rend(); ++it) {
        QFontDatabase::removeApplicationFont(*it);
    }
}

int PrivateFonts::Load(const std::filesystem::path& program_folder,
                       std::span<const std::string_view> relative_paths) {
    int loaded = 0;
    for (const std::string_view relative : relative_paths) {
        std::ifstream file(program_folder / relative, std::ios::binary);
        if (!file) {
            continue;
        }
        const std::string bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        const int id = QFontDatabase::addApplicationFontFromData(
            QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (id >= 0) {
            ids_.push_back(id);
            ++loaded;
        }
    }
    return loaded;
}

}  // namespace calvorn::qt
