// Runs a program with pipes on its standard input, output and error.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

class ChildProcess {
  public:
    // env: variables set (or, with an empty value, removed) in the child.
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& env);
    ~ChildProcess();  // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Write(const std::string& data);
    void CloseInput();
    // Reads until stdout holds at least `lines` complete lines or the time is up.
    bool WaitForLines(std::size_t lines, std::chrono::milliseconds timeout);
    void Signal(int sig);
    // Reads everything until the child exits; its exit status, or -1 on time-out
    // (the child is then killed), or 128 + signal number.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));

    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }
    std::vector<std::string> OutLines() const;

  private:
    void Pump(int timeoutMs);

    pid_t pid_ = -1;
    int in_ = -1, outFd_ = -1, errFd_ = -1;
    std::string out_, err_;
};

// Runs a program to its end with the given input.
struct RunResult {
    int status;
    std::string out, err;
    std::vector<std::string> lines;
};
RunResult RunProgram(const std::vector<std::string>& argv, const std::string& input = "",
                     const std::map<std::string, std::string>& env = {});
