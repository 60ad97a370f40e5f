// A folder of its own for the files one test writes; removed with the object.
#ifndef SMTPCLIENT_TESTS_TEMPFOLDER_H
#define SMTPCLIENT_TESTS_TEMPFOLDER_H

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace SMTPClientTest {

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path()
                / ("smtpclient-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(root_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The full UTF-8 path of name (UTF-8) inside the folder.
    std::string Path(const std::string& name = "") const
    {
        return (root_ / std::filesystem::u8path(name)).u8string();
    }

    // Writes bytes to a file of that name and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(std::filesystem::u8path(Path(name)), std::ios::binary) << bytes;
        return Path(name);
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream file(std::filesystem::u8path(Path(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root_;
};

} // namespace SMTPClientTest

#endif
