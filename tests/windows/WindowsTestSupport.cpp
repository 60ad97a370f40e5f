#include "WindowsTestSupport.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace SMTPClientTest {

namespace {

std::wstring NewFolderUnderTemp()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    for (unsigned attempt = 0;; ++attempt) {
        std::wstring candidate = std::wstring(temp) + L"smtpclient-"
            + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr))
            return candidate;
    }
}

const char kHeaderEnd[] = "\r\n\r\n";

} // namespace

WideTempFolder::WideTempFolder() : root(NewFolderUnderTemp()) {}

WideTempFolder::~WideTempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(root), ignored);
}

std::wstring WideTempFolder::Path(const std::wstring& name) const
{
    return root + L"\\" + name;
}

std::wstring WideTempFolder::Write(const std::wstring& name, const std::string& bytes) const
{
    const std::wstring path = Path(name);
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    return path;
}

std::string WideTempFolder::Read(const std::wstring& path) const
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string HeaderField(const std::string& rawMail, const std::string& name)
{
    const std::string headers = rawMail.substr(0, rawMail.find(kHeaderEnd) + 2);
    const std::string start = name + ":";
    for (size_t line = 0; line < headers.size();) {
        size_t end = headers.find("\r\n", line);
        if (end == std::string::npos)
            break;
        if (headers.compare(line, start.size(), start) == 0) {
            std::string value = headers.substr(line + start.size(), end - line - start.size());
            // Continuation lines start with a blank.
            while (end + 2 < headers.size() && (headers[end + 2] == ' ' || headers[end + 2] == '\t')) {
                size_t next = headers.find("\r\n", end + 2);
                value += headers.substr(end + 2, next - end - 2);
                end = next;
            }
            return value.substr(value.find_first_not_of(" \t") == std::string::npos
                                    ? value.size() : value.find_first_not_of(" \t"));
        }
        line = end + 2;
    }
    return std::string();
}

} // namespace SMTPClientTest
