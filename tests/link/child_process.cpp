#include "tests/link/child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

int RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit) {
    int done[2];
    if (pipe(done) != 0) return kChildTimedOut;
    const pid_t child = fork();
    if (child < 0) return kChildTimedOut;
    if (child == 0) {
        // The write end stays open (also across exec) until the child ends, which is what the
        // parent waits for.
        close(done[0]);
        _exit(body());
    }
    close(done[1]);
    pollfd entry{done[0], POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, static_cast<int>(limit.count()));
    } while (ready < 0 && errno == EINTR);
    close(done[0]);
    if (ready <= 0) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (ready <= 0 || !WIFEXITED(status)) return kChildTimedOut;
    return WEXITSTATUS(status);
}

int RunSelfInChild(const std::vector<std::string>& arguments, std::chrono::milliseconds limit) {
    return RunInChild(
        [&arguments] {
            std::vector<char*> argv;
            static char self[] = "/proc/self/exe";
            argv.push_back(self);
            for (const std::string& argument : arguments) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            execv(self, argv.data());
            return 127;
        },
        limit);
}
