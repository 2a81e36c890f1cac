#include "probes/sn_clipboard.h"

#include "ui/clipboard.h"

bool CopyTextToClipboard(std::string text) {
    return SetClipboardText(text);
}
