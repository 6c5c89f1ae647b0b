#include "PrivateDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

CPrivateDisplay::~CPrivateDisplay() {
    Stop();
}

void CPrivateDisplay::Stop() {
    if (m_server <= 0)
        return;
    kill(m_server, SIGTERM);
    int status = 0;
    while (waitpid(m_server, &status, 0) < 0 && errno == EINTR) {
    }
    m_server = -1;
    m_name.clear();
}

bool CPrivateDisplay::Start(std::string& error, const std::string& server, int timeoutSeconds) {
    Stop();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot start ") + server + ": " + std::strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        error = std::string("cannot start ") + server + ": " + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (child == 0) {
        // The server ends with the editor, however the editor ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The write end stays open across exec; the server writes its number there when ready.
        fcntl(fds[1], F_SETFD, 0);
        const int quiet = open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            dup2(quiet, 0);
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        const std::string fd = std::to_string(fds[1]);
        execlp(server.c_str(), server.c_str(), "-displayfd", fd.c_str(), "-screen", "0",
               "1600x1200x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    m_server = child;
    // The number arrives followed by a newline once the server accepts connections; the pipe
    // closes without one when the server could not be run.
    std::string number;
    bool complete = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (!complete) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd wait = {fds[0], POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char c = 0;
        const ssize_t n = read(fds[0], &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (c == '\n')
            complete = !number.empty();
        else if (std::isdigit(static_cast<unsigned char>(c)) && number.size() < 6)
            number += c;
        else
            break;
    }
    close(fds[0]);
    if (!complete) {
        int status = 0;
        const bool ended = waitpid(m_server, &status, WNOHANG) == m_server;
        if (ended)
            m_server = -1;
        Stop();
        error = ended && WIFEXITED(status) && WEXITSTATUS(status) == 127
                    ? server + " is not installed (Debian package xvfb)"
                    : server + " did not start";
        return false;
    }
    m_name = ":" + number;
    setenv("DISPLAY", m_name.c_str(), 1);
    return true;
}
