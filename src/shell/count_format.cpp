#include "shell/count_format.h"

namespace calvorn::shell {

std::string FormatCount(std::string_view format, long long value) {
    const std::size_t at = format.find("%d");
    if (at == std::string_view::npos) {
        return std::string(format);
    }
    std::string text(format.substr(0, at));
    text += std::to_string(value);
    text += format.substr(at + 2);
    return text;
}

}  // namespace calvorn::shell
