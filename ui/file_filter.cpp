#include "ui/file_filter.h"

#include <cstddef>

namespace {

std::vector<std::string> SplitAtBars(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos;
         bar = text.find('|', start)) {
        parts.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
    const std::vector<std::string> parts = SplitAtBars(filter);
    std::vector<FileFilter> filters;
    // A label without its patterns (a string cut short) is no filter.
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        filters.push_back({parts[i], parts[i + 1]});
    }
    return filters;
}
