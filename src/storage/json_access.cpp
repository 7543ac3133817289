#include "storage/json_access.h"

#include <cmath>

namespace calvorn::storage {

const Json::Value& Member(const Json::Value& object, const char* key) {
    if (!object.isObject()) {
        return Json::Value::nullSingleton();
    }
    const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
    return member != nullptr ? *member : Json::Value::nullSingleton();
}

const Json::Value& Element(const Json::Value& array, std::size_t index) {
    if (!array.isArray() || index >= array.size()) {
        return Json::Value::nullSingleton();
    }
    return array[static_cast<Json::ArrayIndex>(index)];
}

Json::Value& MemberForWrite(Json::Value& object, const char* key) {
    if (!object.isObject()) {
        object = Json::Value(Json::objectValue);
    }
    return object[key];
}

Json::Value& ElementForWrite(Json::Value& array, std::size_t index) {
    if (!array.isArray()) {
        array = Json::Value(Json::arrayValue);
    }
    return array[static_cast<Json::ArrayIndex>(index)];
}

std::int64_t IntegerOf(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return value.asInt64();
        case Json::uintValue:
            return static_cast<std::int64_t>(value.asUInt64());
        case Json::realValue: {
            const double real = value.asDouble();
            // Within ±2^63 the truncation is defined; anything else (and NaN) reads as 0.
            if (!(std::fabs(real) < 9.2e18)) {
                return 0;
            }
            return static_cast<std::int64_t>(real);
        }
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        default:
            return 0;
    }
}

std::string StringOf(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

}  // namespace calvorn::storage
