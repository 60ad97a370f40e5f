// The process-wide table is built once, so the case runs in a freshly started
// copy of this program in which nothing has used the table yet.
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

TEST(ResultTableOnce, ConcurrentFirstCallersShareOneBuiltTable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
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
            for (const ResultTable* table : seen)
                if (table != seen[0] || table->size() != 23)
                    std::exit(1);
            SetMessageLanguage(10);
            const std::string general = U8(ToResultText(GeneralErrorKey));
            std::cerr << "general message: " << general << '\n';
            std::exit(general == "Une erreur générale s'est produite." ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
