#pragma once
// Waiting in tests: on a condition, with a deadline, serving the event loop meanwhile.
#include <chrono>
#include <functional>

namespace uitest {

// Processes events until predicate() holds (true) or the deadline passes (false).
bool WaitUntil(const std::function<bool()>& predicate,
               std::chrono::milliseconds deadline = std::chrono::seconds(5));
// Deletes the windows whose deletion was deferred (a modeless dialog ended from its handler).
void FlushDeferredDeletes();

}  // namespace uitest
