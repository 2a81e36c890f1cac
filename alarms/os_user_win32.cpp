#include "alarms/os_user.h"
#include "link/wide_text_win32.h"

std::string OsUserName() {
    wchar_t name[257];
    DWORD size = sizeof name / sizeof name[0];
    if (GetUserNameW(name, &size) && size > 1) return Utf8FromWide(std::wstring(name, size - 1));
    return "?";
}
