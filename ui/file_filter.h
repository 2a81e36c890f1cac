#pragma once
// The framework's filter string of a file dialog: "描述|*.ext|描述|*.a;*.b||", pairs of a label
// and its patterns, ended by an empty label (or by the string's end). Private to the layer.
#include <string>
#include <vector>

struct FileFilter {
    std::string label;
    std::string patterns;  // ';' between patterns, as the string gives them
};

std::vector<FileFilter> ParseFileFilter(const std::string& filter);
