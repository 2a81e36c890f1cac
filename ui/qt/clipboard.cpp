#include "ui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

bool SetClipboardText(const std::string& text) {
    if (QGuiApplication::instance() == nullptr) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) return false;
    clipboard->setText(QString::fromStdString(text));
    return true;
}

std::string GetClipboardText() {
    if (QGuiApplication::instance() == nullptr) return {};
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->text().toStdString() : std::string();
}
