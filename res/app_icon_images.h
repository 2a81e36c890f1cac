#pragma once
// The window icon compiled into the Linux console: renderings of res/icons/app.svg, generated at
// build time by render_icon.
#include <vector>

#include "ui/resources.h"

std::vector<IconImage> AppIconImages();
