// Tables built in each language directly, without the process-wide one.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "TestText.h"
#include "smtpclient/ResultTable.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;

namespace {

struct TellingRow {
    int32_t language;
    int32_t key;
    const char* message;
};

const TellingRow TellingRows[] = {
    {0, 100, "A general error occurred"},
    {1, 100, "一般的なエラーが発生しました。"},
    {2, 100, "Der opstod en generel fejl."},
    {3, 100, "Er is een algemene fout opgetreden."},
    {4, 100, "Une erreur générale s'est produite."},
    {5, 100, "Ein allgemeiner Fehler ist aufgetreten."},
    {6, 100, "Si è verificato un errore generale."},
    {7, 100, "En generell feil oppstod."},
    {8, 100, "Se produjo un error general."},
    {9, 100, "Ett allmänt fel inträffade."},
    {10, 100, "一般错误"},
    {10, -3, "未指定联系人"},  // result code -18: no recipients
    {10, -21, "转码错误，不支持的编码"},
    {5, 67, "Curl-Anmeldung vom Remote-Server abgelehnt."},
    {1, -20, "Failed to convert the email with its current encoding due to insufficient memory."},
};

std::string MessageOf(const ResultTable& table, int32_t key)
{
    return U8(table.at(key).message);
}

// Japanese keeps the English messages of the conversion failures; unknown
// languages are English.
bool KeepsEnglish(int32_t language, int32_t key)
{
    return language <= 0 || language > 10 || key == 0 || (language == 1 && key <= -19 && key >= -22);
}

TEST(ResultLanguages, EveryLanguageHasTheEnglishRowsWithItsOwnMessages)
{
    const ResultTable english = BuildResultTable(0);
    for (int32_t language : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1, 1000, INT32_MIN}) {
        SCOPED_TRACE(testing::Message() << "language " << language);
        const ResultTable table = BuildResultTable(language);
        ASSERT_EQ(23u, table.size());
        std::set<std::string> seen;
        for (const auto& row : table) {
            const int32_t key = row.first;
            SCOPED_TRACE(testing::Message() << "key " << key);
            ASSERT_EQ(1u, english.count(key));
            EXPECT_EQ(english.at(key).resultCode, row.second.resultCode);
            ASSERT_NE(nullptr, row.second.message);
            const std::string message = U8(row.second.message);
            if (KeepsEnglish(language, key)) {
                EXPECT_EQ(MessageOf(english, key), message);
            } else {
                EXPECT_NE(MessageOf(english, key), message) << "left in English";
            }
            if (key != 0) {
                EXPECT_TRUE(!message.empty() && seen.insert(message).second) << "empty or repeated";
            }
        }
        EXPECT_NE(std::string::npos, MessageOf(table, 67).find("url")) << "Curl/curl dropped";
    }
}

TEST(ResultLanguages, TellingRowsReadExactly)
{
    for (const TellingRow& row : TellingRows) {
        SCOPED_TRACE(testing::Message() << "language " << row.language << ", key " << row.key);
        EXPECT_EQ(row.message, MessageOf(BuildResultTable(row.language), row.key));
    }
}

} // namespace
