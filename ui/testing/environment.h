#pragma once
// The process's environment from tests, the same on every platform (the programs read it with
// getenv).
#include <string>

namespace uitest {

void SetEnvironmentValue(const std::string& name, const std::string& value);
void UnsetEnvironmentValue(const std::string& name);
// True when the Windows build runs under Wine, which differs from Windows in a few places.
bool UnderWine();

}  // namespace uitest
