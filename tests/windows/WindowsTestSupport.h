// Temporary folders with wide paths for the Windows test programs.
#ifndef SMTPCLIENT_TESTS_WINDOWSTESTSUPPORT_H
#define SMTPCLIENT_TESTS_WINDOWSTESTSUPPORT_H

#include <string>

namespace SMTPClientTest {

// A fresh folder under the user's temporary folder, removed with its content.
class WideTempFolder {
public:
    WideTempFolder();
    ~WideTempFolder();
    WideTempFolder(const WideTempFolder&) = delete;
    WideTempFolder& operator=(const WideTempFolder&) = delete;

    std::wstring Path(const std::wstring& name) const;
    // Writes bytes to name in the folder and returns its full path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const;
    // The bytes of a file; empty when it cannot be read.
    std::string Read(const std::wstring& path) const;

private:
    std::wstring root;
};

} // namespace SMTPClientTest

#endif
