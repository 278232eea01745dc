// Work that needs this process to have ended first and must not make it end
// any later: a child of ours, started now while the process is still a
// single thread, that waits in the background until the process is gone and
// then does its work at low priority.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kvx::platform {

// Starts the worker. It leaves the caller's session and terminal at once,
// points its standard streams at /dev/null and closes every other
// descriptor but those in keep, so that nothing the caller's callers wait
// for (a pipe, a terminal, a lock) stays open because of it. It runs work
// once every copy of this process has ended (exit, exec or death), then
// ends itself. Files it and its programs make are private (umask 077). False, with *why, when no worker could be started.
bool startAfterExitWorker(const std::function<void()>& work, const std::vector<int>& keep, std::string* why);

}  // namespace kvx::platform
