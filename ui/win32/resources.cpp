#include "ui/win32/dialog_widget.h"

#include <map>
#include <utility>

#include "ui/app.h"
#include "ui/resource_registry.h"
#include "ui/resources.h"

namespace {

std::map<int, std::string> g_strings;
std::map<int, HICON> g_icons;

}  // namespace

void SetStringTable(std::map<int, std::string> strings) { g_strings = std::move(strings); }

// Icons are the executable's own icon resources, by the same number; the path names a file the
// other backend reads and is not needed here.
void SetIconResource(int id, std::string /*path*/) { g_icons.erase(id); }
void SetIconImages(int id, std::vector<IconImage> /*images*/) { g_icons.erase(id); }

std::string LoadResourceString(int id) {
    auto it = g_strings.find(id);
    return it != g_strings.end() ? it->second : std::string();
}

HICON LoadIconResource(int id) {
    if (auto it = g_icons.find(id); it != g_icons.end()) return it->second;
    auto icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0,
                                                LR_DEFAULTSIZE | LR_SHARED));
    // A build without the icon resource shows the system's application icon.
    if (icon == nullptr) {
        icon = static_cast<HICON>(::LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, 0,
                                               0, LR_DEFAULTSIZE | LR_SHARED));
    }
    g_icons[id] = icon;
    return icon;
}

HICON CWinApp::LoadIcon(int resourceId) const { return LoadIconResource(resourceId); }
