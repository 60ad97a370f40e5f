#include "PasswordPrompt.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace SmtpSend {

namespace {

const int kInterruptSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

// The settings to put back; read by the signal handler, so kept static.
struct termios savedTerminal;
volatile sig_atomic_t echoIsOff = 0;

void RestoreTerminal()
{
    if (echoIsOff) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        echoIsOff = 0;
    }
}

extern "C" void RestoreAndReraise(int signalNumber)
{
    RestoreTerminal();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void SetInterruptHandlers(void (*handler)(int))
{
    for (int signalNumber : kInterruptSignals)
        signal(signalNumber, handler);
}

bool EchoOff()
{
    if (tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return false;
    struct termios hidden = savedTerminal;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    hidden.c_lflag |= ECHONL;
    SetInterruptHandlers(RestoreAndReraise);
    echoIsOff = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &hidden) != 0) {
        echoIsOff = 0;
        SetInterruptHandlers(SIG_DFL);
        return false;
    }
    return true;
}

void EchoOn()
{
    RestoreTerminal();
    SetInterruptHandlers(SIG_DFL);
}

// Reads byte by byte so that nothing after the line is taken from the terminal.
bool ReadLine(std::string& line)
{
    line.clear();
    for (;;) {
        char byte = 0;
        const ssize_t count = read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return !line.empty();
        if (byte == '\n')
            return true;
        line += byte;
    }
}

} // namespace

bool StandardInputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

bool ReadHiddenLine(const std::string& prompt, std::string& line)
{
    // Echo goes off before the prompt shows, so an answer typed at once stays hidden.
    const bool hidden = EchoOff();
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    const bool complete = ReadLine(line);
    if (hidden)
        EchoOn();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return complete;
}

} // namespace SmtpSend
