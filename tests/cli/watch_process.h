// kesgen-cli run as a child process whose output lines a test awaits one by
// one, and which it can stop as Ctrl+C does.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kes::test {

class CliProcess {
public:
    // Starts kesgen-cli with `args` in `folder`; its standard error goes to
    // `errorPath`.
    CliProcess(const std::vector<std::string>& args, const std::string& folder, const std::string& errorPath)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(pipeEnds[1], 1);
            const int error = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(error, 2);
            close(pipeEnds[0]);
            if (chdir(folder.c_str()) != 0)
                _exit(127);
            std::vector<char*> argv{const_cast<char*>(KESGEN_CLI)};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(KESGEN_CLI, argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        out_ = pipeEnds[0];
    }
    ~CliProcess()
    {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // The next line of the standard output without its end, or nothing when
    // none came within `timeout` (or the output ended).
    std::optional<std::string> nextLine(std::chrono::milliseconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const std::size_t newline = buffer_.find('\n'); newline != std::string::npos) {
                std::string line = buffer_.substr(0, newline);
                buffer_.erase(0, newline + 1);
                return line;
            }
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd ready{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char chunk[4096];
            const ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }

    // Sends `signal` and waits for the end: the exit code, or -1 when the
    // signal ended the process.
    int stop(int signal = SIGINT)
    {
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool exited_ = false;
    std::string buffer_;
};

} // namespace kes::test
