#include "tools/plughost/ForkedProbe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace plughost {

namespace {

long long nowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= std::size_t(n);
    }
}

// The child's end of the pipe, -1 in the parent.
int gReportFd = -1;

}  // namespace

void ForkedProbe::step(const std::string& what) {
    if (gReportFd < 0) return;
    std::string message = "P" + what;
    for (char& c : message)
        if (c == '\n') c = ' ';
    message += '\n';
    writeAll(gReportFd, message.data(), message.size());
}

ForkedProbe::Result ForkedProbe::run(const std::function<Outcome(std::string& text)>& work,
                                     int timeoutMs, bool fork) {
    Result result;
    if (!fork) {
        result.outcome = work(result.text);
        return result;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        result.text = "cannot create a pipe";
        return result;
    }
    // Buffered output would otherwise be written twice, once by the child.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        result.text = "cannot fork";
        return result;
    }
    if (pid == 0) {
        close(fds[0]);
        gReportFd = fds[1];
        std::string text;
        const Outcome outcome = work(text);
        const char header[2] = {'R', static_cast<char>(outcome)};
        writeAll(fds[1], header, 2);
        writeAll(fds[1], text.data(), text.size());
        close(fds[1]);
        std::fflush(nullptr);
        _exit(0);  // no static destructors or atexit handlers of the parent
    }
    close(fds[1]);
    std::string received;
    const long long deadline = nowMs() + timeoutMs;
    bool timedOut = false;
    for (;;) {
        const long long left = deadline - nowMs();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;  // the child closed its end
        received.append(buffer, std::size_t(n));
    }
    close(fds[0]);
    // Progress lines "P...\n", then one report "R<outcome><text>".
    std::string lastStep, report;
    bool reported = false;
    for (std::size_t at = 0; at < received.size();) {
        if (received[at] == 'P') {
            const std::size_t end = received.find('\n', at);
            if (end == std::string::npos) break;
            lastStep = received.substr(at + 1, end - at - 1);
            at = end + 1;
        } else if (received[at] == 'R') {
            report = received.substr(at + 1);
            reported = !report.empty();
            break;
        } else {
            break;
        }
    }
    const std::string during = lastStep.empty() ? "" : " during: " + lastStep;
    int status = 0;
    if (timedOut) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.outcome = TimedOut;
        result.text = "did not finish within " + std::to_string(timeoutMs / 1000) + " s" + during;
        return result;
    }
    // The pipe closes before the child has exited; give it the rest of the time.
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (nowMs() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.outcome = TimedOut;
            result.text = "did not exit after its report";
            return result;
        }
        usleep(1000);
    }
    if (WIFSIGNALED(status)) {
        result.outcome = Crashed;
        result.text = std::string("crashed with signal ") + std::to_string(WTERMSIG(status)) +
                      " (" + strsignal(WTERMSIG(status)) + ")" + during;
        return result;
    }
    if (!reported || WEXITSTATUS(status) != 0) {
        result.outcome = Crashed;
        result.text = "exited with status " + std::to_string(WEXITSTATUS(status)) +
                      " without a report" + during;
        return result;
    }
    result.outcome = static_cast<Outcome>(report[0]);
    result.text = report.substr(1);
    return result;
}

}  // namespace plughost
