// A run journal's entry as the module writes it (tag, path, 0, other text, 0;
// UTF-16LE), for tests that plant a journal the module did not write.
#pragma once

#include <string>

namespace qxtest {

inline std::string JournalEntry(char16_t tag, const std::u16string& path, const std::u16string& other = u"") {
    std::u16string record(1, tag);
    record += path;
    record += u'\0';
    record += other;
    record += u'\0';
    return std::string(reinterpret_cast<const char*>(record.data()), record.size() * sizeof(char16_t));
}

}  // namespace qxtest
