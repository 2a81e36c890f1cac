#include "ui/testing/environment.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>

namespace uitest {

// The C runtime's copy is the one getenv reads.
void SetEnvironmentValue(const std::string& name, const std::string& value) {
    ::_putenv_s(name.c_str(), value.c_str());
}

void UnsetEnvironmentValue(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

bool UnderWine() {
    // Wine's ntdll has an export of its own that Windows' has not.
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace uitest
