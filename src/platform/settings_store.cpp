#include "platform/settings_store.h"

#include <json/json.h>

#include <memory>

#include "platform/file_io.h"
#include "platform/folders.h"

namespace calvorn::platform {

namespace {

// The settings object of `file`; an empty object when it is missing, broken or not an object.
Json::Value ReadSettings(const std::filesystem::path& file) {
    std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return Json::Value(Json::objectValue);
    }
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text->data(), text->data() + text->size(), &root, &errors) ||
        !root.isObject()) {
        return Json::Value(Json::objectValue);
    }
    return root;
}

bool WriteSettings(const std::filesystem::path& file, const Json::Value& root) {
    if (!CreateFolders(file.parent_path())) {
        return false;
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    return WriteFileAtomically(file, Json::writeString(builder, root) + "\n");
}

// Returns a copy, because a lookup through operator[] would insert the member.
Json::Value Member(const Json::Value& root, std::string_view name) {
    const Json::Value* value = root.find(name.data(), name.data() + name.size());
    return value != nullptr ? *value : Json::Value();
}

}  // namespace

SettingsStore::SettingsStore() : file_(ConfigFolder() / "Calvorn" / "registry.json") {}

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> SettingsStore::GetString(std::string_view name) const {
    const Json::Value value = Member(ReadSettings(file_), name);
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.asString();
}

std::optional<std::int64_t> SettingsStore::GetInt(std::string_view name) const {
    const Json::Value value = Member(ReadSettings(file_), name);
    if (!value.isInt64()) {
        return std::nullopt;
    }
    return value.asInt64();
}

bool SettingsStore::SetString(std::string_view name, std::string_view value) {
    Json::Value root = ReadSettings(file_);
    root[std::string(name)] = Json::Value(value.data(), value.data() + value.size());
    return WriteSettings(file_, root);
}

bool SettingsStore::SetInt(std::string_view name, std::int64_t value) {
    Json::Value root = ReadSettings(file_);
    root[std::string(name)] = Json::Value(static_cast<Json::Int64>(value));
    return WriteSettings(file_, root);
}

}  // namespace calvorn::platform
