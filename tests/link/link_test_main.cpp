// The link tests' entry point. Started as "--try-open-port N", the executable is the second
// process of the exclusive-open tests instead: it exits 0 when it could open port N, 3 if not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "link/serial_port.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--try-open-port") == 0) {
        PollSettings settings;
        settings.port = std::atoi(argv[2]);
        settings.baud = 9600;
        return OpenCommPort(settings, TimeoutProfile::Interactive).IsOpen() ? 0 : 3;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
