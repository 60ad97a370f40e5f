// The process-wide table is built once, so each case runs in a freshly
// started copy of this program in which nothing has used the table yet.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "TestText.h"
#include "smtpclient/ResultTable.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;

namespace {

class ResultTableOnce : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Exits the child with 0 when the general message reads as expected.
[[noreturn]] void ExitWithGeneralMessage(const char* expected)
{
    const std::string actual = U8(ToResultText(GeneralErrorKey));
    if (actual != expected)
        std::cerr << "general message: " << actual << '\n';
    std::exit(actual == expected ? 0 : 1);
}

TEST_F(ResultTableOnce, LanguageSelectedAfterFirstUseHasNoEffect)
{
    EXPECT_EXIT(
        {
            ToResultCode(0);
            SetMessageLanguage(10);
            ExitWithGeneralMessage("A general error occurred");
        },
        ::testing::ExitedWithCode(0), "");
}

// The language chosen before the first use is the one all callers see.
TEST_F(ResultTableOnce, ConcurrentFirstCallersShareOneBuiltTable)
{
    EXPECT_EXIT(
        {
            SetMessageLanguage(4);
            const int threadCount = 8;
            std::atomic<int> ready(0);
            std::vector<const ResultTable*> seen(threadCount, nullptr);
            std::vector<std::thread> threads;
            for (int i = 0; i < threadCount; ++i)
                threads.emplace_back([&, i] {
                    ++ready;
                    while (ready.load() < threadCount)
                        std::this_thread::yield();
                    seen[i] = &GetResultTable();
                });
            for (std::thread& thread : threads)
                thread.join();
            bool same = true;
            for (const ResultTable* table : seen)
                same = same && table == seen[0] && table->size() == 23;
            if (!same)
                std::exit(1);
            ExitWithGeneralMessage("Une erreur générale s'est produite.");
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
