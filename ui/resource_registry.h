#pragma once
// Icon look-up shared by the application object and icon controls. Private to the layer.
#include "ui/controls.h"

// The icon registered under id, loaded once; null when none is registered or it cannot be read.
HICON LoadIconResource(int id);
