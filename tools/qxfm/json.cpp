#include "json.h"

#include <cmath>
#include <cstdio>

namespace qxfm {
namespace {

// The length of the valid UTF-8 sequence at s[i], or 0 when the byte starts none.
size_t Utf8SequenceLength(const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t length = 0;
    char32_t cp = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) length = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) length = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) length = 4, cp = c & 0x07;
    else return 0;
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return overlong || surrogate || cp > 0x10FFFF ? 0 : length;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    char escape[8];
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\u%04x", 0xDC00 + c);
            out += escape;
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out + "\"";
}

Json::Json(const std::string& text) : m_scalar(JsonString(text)) {}
Json::Json(bool value) : m_scalar(value ? "true" : "false") {}
Json::Json(long long value) : m_scalar(std::to_string(value)) {}
Json::Json(unsigned long long value) : m_scalar(std::to_string(value)) {}
Json::Json(double value) {
    char text[32] = "null";
    if (std::isfinite(value)) std::snprintf(text, sizeof text, "%.3f", value);
    m_scalar = text;
}

Json Json::Object() {
    Json json;
    json.m_kind = Kind::Object;
    return json;
}

Json Json::Array() {
    Json json;
    json.m_kind = Kind::Array;
    return json;
}

Json& Json::operator[](const std::string& key) {
    for (auto& [name, value] : m_members)
        if (name == key) return value;
    m_members.emplace_back(key, Json());
    return m_members.back().second;
}

Json& Json::Push(Json value) {
    m_items.push_back(std::move(value));
    return m_items.back();
}

std::string Json::Dump() const {
    if (m_kind == Kind::Scalar) return m_scalar;
    std::string out = m_kind == Kind::Object ? "{" : "[";
    bool first = true;
    if (m_kind == Kind::Object) {
        for (const auto& [name, value] : m_members) {
            out += (first ? "" : ",") + JsonString(name) + ":" + value.Dump();
            first = false;
        }
    } else {
        for (const Json& item : m_items) {
            out += (first ? "" : ",") + item.Dump();
            first = false;
        }
    }
    return out + (m_kind == Kind::Object ? "}" : "]");
}

}  // namespace qxfm
