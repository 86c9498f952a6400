#include "tool_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <regex>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace qxfmtest {
namespace {

// The child's environment: this process's (which holds none of the user's
// settings) with the options' settings.
std::vector<std::string> ChildEnvironment(const ToolOptions& options) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    if (!options.drives.empty()) env.push_back("QXFM_DRIVES=" + options.drives);
    for (const std::string& e : options.extraEnv) env.push_back(e);
    return env;
}

[[noreturn]] void ExecTool(const std::vector<std::string>& args, const ToolOptions& options) {
    std::vector<std::string> env = ChildEnvironment(options);
    std::vector<char*> argv{const_cast<char*>(QXFM_TOOL_PATH)}, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
    execve(QXFM_TOOL_PATH, argv.data(), envp.data());
    _exit(127);
}

int WaitStatus(pid_t pid) {
    int raw = 0;
    waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

// Reads both pipes to their end; calls onErr after each chunk of stderr.
template <typename OnErr>
void ReadBoth(int outFd, int errFd, ToolRun* run, OnErr onErr) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = 2;
    char buf[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? run->out : run->err).append(buf, static_cast<size_t>(n));
            if (i == 1) onErr(run->err);
        }
    }
}

template <typename OnErr>
ToolRun RunWithPipes(const std::vector<std::string>& args, const ToolOptions& options, OnErr onErr) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        ExecTool(args, options);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    ToolRun run;
    ReadBoth(outPipe[0], errPipe[0], &run, [&](const std::string& err) { onErr(pid, err); });
    run.status = WaitStatus(pid);
    return run;
}

}  // namespace

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string ToolRun::LastErrLine() const {
    std::string text = err;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t nl = text.find_last_of('\n');
    return nl == std::string::npos ? text : text.substr(nl + 1);
}

ToolRun RunTool(const std::vector<std::string>& args, const ToolOptions& options) {
    return RunWithPipes(args, options, [](pid_t, const std::string&) {});
}

ToolRun RunToolInterruptedAt(const std::vector<std::string>& args, const ToolOptions& options,
                             const std::string& trigger) {
    bool sent = false;
    return RunWithPipes(args, options, [&](pid_t pid, const std::string& err) {
        if (!sent && err.find(trigger) != std::string::npos) {
            kill(pid, SIGINT);
            sent = true;
        }
    });
}

ToolRun RunToolInTerminal(const std::vector<std::string>& args, const ToolOptions& options) {
    int master = -1;
    winsize size{};
    size.ws_col = 100;
    size.ws_row = 30;
    const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) ExecTool(args, options);
    ToolRun run;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;  // EIO once the child closed the terminal
        run.out.append(buf, static_cast<size_t>(n));
    }
    close(master);
    run.status = WaitStatus(pid);
    return run;
}

std::string WithoutSizesAndTimes(const std::string& out) {
    const std::string stored = std::regex_replace(
        out, std::regex(R"((\d+ files stored), [^\n]*, in (\d+ image file\(s\)) of [^\n]* in [0-9.]+ s\n)"),
        "$1 in $2\n");
    const std::string found =
        std::regex_replace(stored, std::regex(R"((\d+ files, \d+ bytes) \([^)]*\) found in [0-9.]+ s\n)"), "$1\n");
    return std::regex_replace(found, std::regex(R"((files copied below [^\n]*) in [0-9.]+ s\n)"), "$1\n");
}

}  // namespace qxfmtest
