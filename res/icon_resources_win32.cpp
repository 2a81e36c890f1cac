#include "res/icon_resources.h"
#include "res/resource.h"
#include "ui/resources.h"

// The icon is the executable's own icon resource of the same number; no file to name.
void RegisterIconResources() {
    SetIconResource(IDR_MAINFRAME, {});
}
