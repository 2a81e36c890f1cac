#include "ui/resources.h"

#include <memory>
#include <utility>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "ui/app.h"
#include "ui/resource_registry.h"

namespace {

// Touched on the user-interface thread only, like the resources of a program.
std::map<int, std::string> g_strings;
std::map<int, std::string> g_iconPaths;
std::map<int, std::vector<IconImage>> g_iconImages;
// Loaded icons keep their address for the program's life: HICON is a pointer to one.
std::map<int, std::unique_ptr<QIcon>> g_icons;

}  // namespace

void SetStringTable(std::map<int, std::string> strings) { g_strings = std::move(strings); }

void SetIconResource(int id, std::string path) {
    g_iconPaths[id] = std::move(path);
    g_iconImages.erase(id);
    g_icons.erase(id);
}

void SetIconImages(int id, std::vector<IconImage> images) {
    g_iconImages[id] = std::move(images);
    g_iconPaths.erase(id);
    g_icons.erase(id);
}

std::string LoadResourceString(int id) {
    auto it = g_strings.find(id);
    return it != g_strings.end() ? it->second : std::string();
}

HICON LoadIconResource(int id) {
    if (auto it = g_icons.find(id); it != g_icons.end()) return it->second.get();
    if (auto images = g_iconImages.find(id); images != g_iconImages.end()) {
        auto icon = std::make_unique<QIcon>();
        for (const IconImage& image : images->second) {
            if (image.size <= 0 || image.pixels == nullptr) continue;
            // Wraps the caller's pixels: no copy, no image reader (which would load every image
            // format plugin to ask whether it reads PNG).
            const QImage pixels(reinterpret_cast<const uchar*>(image.pixels), image.size,
                                image.size, QImage::Format_ARGB32_Premultiplied);
            icon->addPixmap(QPixmap::fromImage(pixels));
        }
        if (icon->isNull()) return nullptr;
        return g_icons.emplace(id, std::move(icon)).first->second.get();
    }
    auto path = g_iconPaths.find(id);
    if (path == g_iconPaths.end()) return nullptr;
    const QString file = QString::fromStdString(path->second);
    if (!QFile::exists(file)) return nullptr;
    auto icon = std::make_unique<QIcon>(file);
    if (icon->isNull()) return nullptr;
    return g_icons.emplace(id, std::move(icon)).first->second.get();
}

HICON CWinApp::LoadIcon(int resourceId) const { return LoadIconResource(resourceId); }
