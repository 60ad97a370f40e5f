#include "PasswordPrompt.h"

#include <windows.h>

#include <cstdio>

namespace SmtpSend {

namespace {

HANDLE StandardInput()
{
    return GetStdHandle(STD_INPUT_HANDLE);
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

// Reads one character at a time up to the end of the line.
bool ReadConsoleLine(HANDLE input, std::wstring& line)
{
    for (;;) {
        wchar_t character = 0;
        DWORD count = 0;
        if (!ReadConsoleW(input, &character, 1, &count, nullptr) || count == 0)
            return !line.empty();
        if (character == L'\n')
            return true;
        if (character != L'\r')
            line += character;
    }
}

} // namespace

bool StandardInputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(StandardInput(), &mode) != 0;
}

bool ReadHiddenLine(const std::string& prompt, std::string& line)
{
    const HANDLE input = StandardInput();
    DWORD savedMode = 0;
    // Echo goes off before the prompt shows, so an answer typed at once stays hidden.
    const bool hidden =
        GetConsoleMode(input, &savedMode)
        && SetConsoleMode(input, savedMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::wstring wideLine;
    const bool complete = ReadConsoleLine(input, wideLine);
    if (hidden) {
        SetConsoleMode(input, savedMode);
        std::fputs("\n", stderr);
    }
    line = ToUtf8(wideLine);
    return complete;
}

} // namespace SmtpSend
