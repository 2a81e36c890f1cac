#pragma once
// What k7r2's exit status tells a script.
enum ExitStatus : int {
    kExitOk = 0,
    kExitRefused = 1,     // the module answered but refused or failed
    kExitUsage = 2,       // bad command line; nothing was sent
    kExitPortFailed = 3,  // the port could not be opened
    kExitNoReply = 4,     // no reply, a short reply or a failed verification
};
