#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "alarms/os_user.h"

std::string OsUserName() {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return found->pw_name;
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* name = std::getenv(variable);
        if (name != nullptr && name[0] != '\0') return name;
    }
    return "uid " + std::to_string(geteuid());
}
