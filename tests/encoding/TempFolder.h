// A fresh folder under the system's temporary folder, removed afterwards.
#ifndef SMTPCLIENT_TESTS_ENCODING_TEMPFOLDER_H
#define SMTPCLIENT_TESTS_ENCODING_TEMPFOLDER_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "TestText.h"

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        root = std::filesystem::temp_directory_path()
             / ("smtpclient-encoding-" + std::to_string(random()));
        std::filesystem::create_directories(root);
    }

    void TearDown() override { std::filesystem::remove_all(root); }

    // The UTF-16 path of name (UTF-8) inside the folder.
    SMTPClientNS::WString PathOf(const std::string& name) const
    {
        return SMTPClientTest::W(root.u8string() + "/" + name);
    }

    std::filesystem::path FsPath(const std::string& name) const
    {
        return root / std::filesystem::u8path(name);
    }

    void WriteBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(FsPath(name), std::ios::binary) << bytes;
    }

    std::string ReadBytes(const std::string& name) const
    {
        std::ifstream file(FsPath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path root;
};

#endif
