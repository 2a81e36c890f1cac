#include "tests/cli/k7r2_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

ProcessResult RunK7r2Process(const std::vector<std::string>& args,
                             std::chrono::milliseconds deadline,
                             const std::function<bool(const std::string& out)>& interruptWhen) {
    return RunK7r2Process(args, ProcessSetup{}, deadline, interruptWhen);
}

ProcessResult RunK7r2Process(const std::vector<std::string>& args, const ProcessSetup& setup,
                             std::chrono::milliseconds deadline,
                             const std::function<bool(const std::string& out)>& interruptWhen) {
    ProcessResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        for (const auto& [path, stream] : {std::pair{&setup.stdoutPath, STDOUT_FILENO},
                                            std::pair{&setup.stderrPath, STDERR_FILENO}}) {
            if (path->empty()) continue;
            const int fd = open(path->c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
            if (fd < 0) _exit(126);
            dup2(fd, stream);
            close(fd);
        }
        if (setup.fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(setup.fileSizeLimit),
                               static_cast<rlim_t>(setup.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        std::string program = K7R2_PROGRAM;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    const auto end = std::chrono::steady_clock::now() + deadline;
    bool interrupted = false;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    bool timedOut = false;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char chunk[4096];
            const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.out : result.err).append(chunk, static_cast<std::size_t>(n));
        }
        if (interruptWhen && !interrupted && interruptWhen(result.out)) {
            kill(pid, setup.stopSignal);
            interrupted = true;
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) close(fd.fd);
    }
    if (timedOut) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = (!timedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return result;
}
