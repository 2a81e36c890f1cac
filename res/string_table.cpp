#include "res/dialog_templates.h"
#include "res/resource.h"
#include "res/icon_resources.h"
#include "ui/resources.h"

void RegisterResources() {
    RegisterIconResources();
    SetStringTable({{IDS_ABOUTBOX, "关于 QEV_K7R2(&A)..."}});
}
