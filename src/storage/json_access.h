#pragma once

// Type-safe access to stored JSON documents. Stored files may hold anything, and jsoncpp
// throws when an object member is looked up in a number or an integer is read from a string,
// so every stored-data reader goes through these helpers: a member or element of the wrong
// type reads as null, and a number of the wrong kind reads as 0.

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace calvorn::storage {

// Member `key` of an object; null when `object` is not an object or lacks the member.
const Json::Value& Member(const Json::Value& object, const char* key);
// Element `index` of an array; null when `array` is not an array or is shorter.
const Json::Value& Element(const Json::Value& array, std::size_t index);

// Member `key` for writing: `object` becomes an empty object first when it is not one.
Json::Value& MemberForWrite(Json::Value& object, const char* key);
// Element `index` for writing: `array` becomes an empty array first when it is not one; the
// array grows with null elements up to `index`.
Json::Value& ElementForWrite(Json::Value& array, std::size_t index);

// The integer a value holds: integers as they are, reals truncated (0 when out of range),
// booleans as 0 or 1, anything else 0.
std::int64_t IntegerOf(const Json::Value& value);
// The low 8, 16 or 32 bits of IntegerOf.
inline std::uint8_t ByteOf(const Json::Value& value) {
    return static_cast<std::uint8_t>(IntegerOf(value));
}
inline std::uint16_t HalfOf(const Json::Value& value) {
    return static_cast<std::uint16_t>(IntegerOf(value));
}
inline std::uint32_t WordOf(const Json::Value& value) {
    return static_cast<std::uint32_t>(IntegerOf(value));
}
// A string value, or empty for any other type.
std::string StringOf(const Json::Value& value);

}  // namespace calvorn::storage
