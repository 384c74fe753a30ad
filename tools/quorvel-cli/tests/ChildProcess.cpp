#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) {
        throw std::runtime_error("pipe2 failed");
    }
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (const auto& [k, v] : env) {
            if (v.empty()) {
                unsetenv(k.c_str());
            } else {
                setenv(k.c_str(), v.c_str(), 1);
            }
        }
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    in_ = in[1];
    outFd_ = out[0];
    errFd_ = err[0];
    signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {in_, outFd_, errFd_}) {
        if (fd >= 0)
            close(fd);
    }
}

void ChildProcess::Write(const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(in_, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

void ChildProcess::CloseInput() {
    if (in_ >= 0)
        close(in_);
    in_ = -1;
}

void ChildProcess::Pump(int timeoutMs) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) <= 0)
        return;
    char buf[4096];
    for (int i = 0; i < 2; ++i) {
        if (!fds[i].revents)
            continue;
        const ssize_t n = read(fds[i].fd, buf, sizeof buf);
        if (n > 0)
            (i == 0 ? out_ : err_).append(buf, static_cast<std::size_t>(n));
        if (n == 0) {
            close(fds[i].fd);
            (i == 0 ? outFd_ : errFd_) = -1;
        }
    }
}

bool ChildProcess::WaitForLines(std::size_t lines, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        std::size_t count = 0;
        for (char c : out_)
            count += c == '\n';
        if (count >= lines)
            return true;
        if (outFd_ < 0)
            return false;
        Pump(50);
    }
    return false;
}

void ChildProcess::Signal(int sig) {
    if (pid_ > 0)
        kill(pid_, sig);
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while ((outFd_ >= 0 || errFd_ >= 0) && std::chrono::steady_clock::now() < end)
        Pump(50);
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            return 128 + WTERMSIG(status);
        }
        usleep(10000);
    }
    return -1;
}

std::vector<std::string> ChildProcess::OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out_);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

RunResult RunProgram(const std::vector<std::string>& argv, const std::string& input,
                     const std::map<std::string, std::string>& env) {
    ChildProcess child(argv, env);
    child.Write(input);
    child.CloseInput();
    const int status = child.Wait();
    return {status, child.Out(), child.Err(), child.OutLines()};
}
