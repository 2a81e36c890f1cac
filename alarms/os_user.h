#pragma once
// Who is at the keyboard, for the journal's acknowledgements; the backends provide it.
#include <string>

// The operating system's name of the user running the program (never empty).
std::string OsUserName();
