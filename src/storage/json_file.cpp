#include "storage/json_file.h"

#include <cerrno>
#include <exception>
#include <memory>
#include <optional>

#include "platform/file_io.h"
#include "platform/trace.h"

namespace calvorn::storage {

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    errno = 0;
    const std::optional<std::string> content = platform::ReadWholeFile(path);
    platform::TraceFormat("readjsonFile 错误吗：：%d\n", content ? 0 : errno);
    if (!content || content->empty()) {
        platform::Trace(path.string());
        return Json::Value();
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(content->data(), content->data() + content->size(), &root, &errors)) {
            return Json::Value();
        }
    } catch (const std::exception&) {
        // The reader throws when the document nests deeper than its stack limit.
        return Json::Value();
    }
    return root;
}

std::string StyledJsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    const std::string raw = Json::writeString(builder, value);
    // The writer leaves a space after "key :" when the value starts on the next line; no
    // string can end a line (line ends inside strings are escaped), so such spaces can go.
    std::string text;
    text.reserve(raw.size() + 1);
    for (const char c : raw) {
        if (c == '\n') {
            while (!text.empty() && text.back() == ' ') {
                text.pop_back();
            }
        }
        text += c;
    }
    text += '\n';
    return text;
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    return platform::WriteFileAtomically(path, StyledJsonText(value));
}

}  // namespace calvorn::storage
