#include <QtCore/QtGlobal>

#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/resources.h"

static void InitQtResources() {
    Q_INIT_RESOURCE(resources);
}

void RegisterResources() {
    InitQtResources();
    SetStringTable({{IDS_ABOUTBOX, "关于 QEV_K7R2(&A)..."}});
    SetIconResource(IDR_MAINFRAME, ":/res/app.svg");
}
