#include "res/app_icon_images.h"
#include "res/icon_resources.h"
#include "res/resource.h"
#include "ui/resources.h"

void RegisterIconResources() { SetIconImages(IDR_MAINFRAME, AppIconImages()); }
