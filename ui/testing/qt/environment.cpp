#include "ui/testing/environment.h"

#include <cstdlib>

namespace uitest {

void SetEnvironmentValue(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnvironmentValue(const std::string& name) { ::unsetenv(name.c_str()); }

bool UnderWine() { return false; }

}  // namespace uitest
