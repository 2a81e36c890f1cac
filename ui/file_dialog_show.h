#pragma once
// What the file dialog asks of the platform: show its own dialog, and how it separates a path's
// folders. Private to the layer.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ui/file_filter.h"

class CWnd;

struct FileDialogShow {
    bool open = true;
    bool mustExist = false;         // an open dialog that takes only existing files
    bool confirmOverwrite = false;  // a save dialog that asks before replacing a file
    std::vector<FileFilter> filters;
    std::string defaultExt;
    std::string fileName;
    std::filesystem::path startDirectory;
    CWnd* parent = nullptr;
};

// Runs the platform's dialog modally: the chosen path (UTF-8), or nullopt for Cancel.
std::optional<std::string> ShowFileDialog(const FileDialogShow& request);

// The characters that end a folder's name in a path on this platform.
extern const char* const kPathSeparators;
