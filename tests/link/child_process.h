#pragma once
// Runs code in a separate process and waits for it with a deadline.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

constexpr int kChildTimedOut = -1;

// Forks; the child runs `body` and exits with its result. Returns the exit status, or
// kChildTimedOut when it did not end in time (it is killed) or did not exit normally.
int RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit);

// Runs this test executable again with `arguments` (see link_test_main.cpp).
int RunSelfInChild(const std::vector<std::string>& arguments, std::chrono::milliseconds limit);
