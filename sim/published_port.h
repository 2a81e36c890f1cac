#pragma once
// The link COMn in the port directory through which the console finds the simulated module.
// The backend (published_port_posix.cpp) implements it.
#include <string>

class PublishedPort {
public:
    PublishedPort() = default;
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;
    ~PublishedPort() { Withdraw(); }

    // Points `directory`/COM<port> at `target`, creating the directory. A link left behind by a
    // simulator that died is replaced; a link to a device that still exists, or anything that
    // is not a link, is left alone and reported in `error`.
    bool Publish(const std::string& directory, int port, const std::string& target,
                 std::string& error);
    // Removes the link if it is still ours.
    void Withdraw();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string target_;
};

// The path of the link for port n in `directory`.
std::string PublishedPortPath(const std::string& directory, int port);
