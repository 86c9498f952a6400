#include "selection/unique_names.h"

void RemoveDuplicateNames(std::vector<CString>* names) {
    if (!names) return;
    for (size_t i = 0; i + 1 < names->size(); ++i) {
        for (size_t j = i + 1; j < names->size();) {
            if ((*names)[j].CompareNoCase((*names)[i]) == 0)
                names->erase(names->begin() + static_cast<std::ptrdiff_t>(j));
            else
                ++j;
        }
    }
}
