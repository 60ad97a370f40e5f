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

} // namespace SMTPClientTest
