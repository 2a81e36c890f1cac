#include "ui/testing/environment.h"

#include <cstdlib>

namespace uitest {

// The C runtime's copy is the one getenv reads.
void SetEnvironmentValue(const std::string& name, const std::string& value) {
    ::_putenv_s(name.c_str(), value.c_str());
}

void UnsetEnvironmentValue(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

}  // namespace uitest
