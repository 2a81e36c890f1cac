#pragma once
// What the module's answer to an SN registration says.
#include <cstdint>

// The message for a result code other than success: channel too large, SN invalid, or an
// outcome the console cannot tell.
const char* RegisterFailureText(std::uint8_t code);
