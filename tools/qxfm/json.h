// A JSON document built in memory and written in one piece: objects keep
// their members in the order they were set.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qxfm {

class Json {
public:
    Json() = default;  // null
    Json(const std::string& text);
    Json(const char* text) : Json(std::string(text)) {}
    Json(bool value);
    Json(int value) : Json(static_cast<long long>(value)) {}
    Json(long long value);
    Json(unsigned long long value);
    Json(unsigned long value) : Json(static_cast<unsigned long long>(value)) {}
    Json(double value);

    static Json Object();
    static Json Array();

    // The member of an object, made null when new.
    Json& operator[](const std::string& key);
    // Appends to an array and returns the new element.
    Json& Push(Json value);
    std::string Dump() const;

private:
    enum class Kind { Scalar, Object, Array };
    Kind m_kind = Kind::Scalar;
    std::string m_scalar = "null";  // already written form
    std::vector<std::pair<std::string, Json>> m_members;
    std::vector<Json> m_items;
};

// A JSON string literal of a text that need not be UTF-8: control characters
// are escaped, and each byte that starts no valid UTF-8 sequence becomes the
// escape of U+DC00 + byte (\udc80 to \udcff), as Python's surrogateescape
// reads it, so that a name that is not UTF-8 keeps its bytes.
std::string JsonString(const std::string& text);

}  // namespace qxfm
