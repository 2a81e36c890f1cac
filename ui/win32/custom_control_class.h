#pragma once
// The window class of the template's custom controls, registered before a dialog that has
// one is created. Private to the layer.
#include <string>

void RegisterCustomControlClass(const std::string& className);
