// Two pseudo-terminals joined back to back, like two serial ports with a null-modem cable:
// what one side's user writes, the other side's user reads. Under Wine the console's port and
// the in-process simulated module's port are the two ends.
//   wine_line_pair LINK_A LINK_B     (symbolic links to the two devices; runs until killed)
// Both slave devices stay open here as well, so a side that closes and reopens its port never
// hangs up the line; bytes for a side whose queue is full are dropped, as on a real line.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

struct End {
    int master = -1;
    int slave = -1;
};

bool OpenEnd(End& end, const char* link) {
    char name[256];
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&end.master, &end.slave, name, &raw, nullptr) != 0) return false;
    ::fcntl(end.master, F_SETFL, ::fcntl(end.master, F_GETFL) | O_NONBLOCK);
    ::unlink(link);
    return ::symlink(name, link) == 0;
}

// Copies what is waiting on `from` to `to`; false when `from` is gone.
bool Copy(const End& from, const End& to) {
    char buffer[4096];
    const ssize_t got = ::read(from.master, buffer, sizeof buffer);
    if (got < 0) return errno == EAGAIN || errno == EINTR || errno == EIO;
    if (got == 0) return false;
    ssize_t sent = 0;
    while (sent < got) {
        const ssize_t n = ::write(to.master, buffer + sent, static_cast<std::size_t>(got - sent));
        if (n <= 0) break;  // full: the rest is lost
        sent += n;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LINK_A LINK_B\n", argv[0]);
        return 2;
    }
    End a, b;
    if (!OpenEnd(a, argv[1]) || !OpenEnd(b, argv[2])) {
        std::fprintf(stderr, "wine_line_pair: %s\n", std::strerror(errno));
        return 1;
    }
    for (;;) {
        pollfd fds[2] = {{a.master, POLLIN, 0}, {b.master, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return 1;
        if ((fds[0].revents & POLLIN) != 0 && !Copy(a, b)) return 0;
        if ((fds[1].revents & POLLIN) != 0 && !Copy(b, a)) return 0;
    }
}
