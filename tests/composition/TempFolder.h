// A folder of its own for the files one test writes; removed with the object.
#ifndef SMTPCLIENT_TESTS_COMPOSITION_TEMPFOLDER_H
#define SMTPCLIENT_TESTS_COMPOSITION_TEMPFOLDER_H

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace SMTPClientTest {

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("smtpclient-composition-" + std::to_string(getpid()) + "-" +
                 std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes bytes to a file of that name and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const std::string file = Path(name);
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    std::string Path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace SMTPClientTest

#endif
