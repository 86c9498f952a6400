// What each capture of a backup takes, built once from the catalog before the
// captures: for every drive and category the files entered under them (a big
// file by its pieces, an over-length file by its exception copy), and the
// folders with one of those files below them.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "catalog/serialization.h"
#include "image/capture_context.h"

class CaptureSelection {
public:
    explicit CaptureSelection(const CQXSerialization& catalog);
    // The items of one capture; an empty set for a pair without files.
    const TakenItems& Of(const CString& drive, const CString& category) const;

private:
    std::map<std::pair<std::u16string, std::u16string>, TakenItems> m_items;
    TakenItems m_none;
};
