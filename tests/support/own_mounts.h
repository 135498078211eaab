// Running a piece of a test in a child process with its own user and mount
// namespaces, where it may bind folders without touching the machine's mounts.
#pragma once

#include <sys/mount.h>
#include <sys/wait.h>
#include <sched.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

namespace lumvor::test {

// The exit code RunWithOwnMounts answers when the kernel gives no namespaces
// here (the test then skips).
constexpr int NoOwnMounts = 2;

// Writes one line to a file of /proc; false when it cannot.
inline bool WriteProcFile(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.flush();
    return bool(out);
}

// Forks; the child enters new user and mount namespaces (mapping itself to
// root there), binds Source onto Target and exits with Body's answer. Answers
// the child's exit code: NoOwnMounts when a step before Body failed, -1 when
// the child did not exit. The forked child has one thread, which the user
// namespace needs.
inline int RunWithOwnMounts(const std::string& Source, const std::string& Target, const std::function<int()>& Body) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            ::_exit(NoOwnMounts);
        WriteProcFile("/proc/self/setgroups", "deny");
        if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") ||
            ::mount(Source.c_str(), Target.c_str(), nullptr, MS_BIND, nullptr) != 0)
            ::_exit(NoOwnMounts);
        ::_exit(Body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

}  // namespace lumvor::test
