// A registration file is whatever the operator hands in: any line must parse without a crash,
// and an accepted line must carry a probe SN in the payload it registers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/commands.h"
#include "probes/registration_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const RegistrationLine parsed = ParseRegistrationLine(line);
    if (parsed.verdict == LineVerdict::Ok && parsed.payload[1] != kSnFamilyByte) std::abort();
    return 0;
}
