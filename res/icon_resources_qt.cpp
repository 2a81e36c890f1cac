#include <QtCore/QtGlobal>

#include "res/icon_resources.h"
#include "res/resource.h"
#include "ui/resources.h"

static void InitQtResources() {
    Q_INIT_RESOURCE(resources);
}

void RegisterIconResources() {
    InitQtResources();
    SetIconResource(IDR_MAINFRAME, ":/res/app.svg");
}
