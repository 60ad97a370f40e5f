#include "ResultTable.h"

#include <atomic>

#include "ResultMessages.h"

namespace SMTPClientNS {

namespace {

// Atomic because a host may select the language on one thread while the
// table's first user builds it on another.
std::atomic<int32_t> messageLanguage(0);

} // namespace

ResultTable BuildResultTable(int32_t language)
{
    const SmtpChar* const* messages = ResultMessagesFor(language);
    ResultTable table;
    for (std::size_t row = 0; row < kResultRowCount; ++row)
        table.emplace(kResultRows[row].key,
                      ResultEntry{kResultRows[row].resultCode, messages[row]});
    return table;
}

const ResultTable& GetResultTable()
{
    // Built once, under the guarded initialisation of a local static;
    // concurrent first callers wait for it.
    static const ResultTable kTable = BuildResultTable(messageLanguage.load());
    return kTable;
}

void SetMessageLanguage(int32_t language)
{
    messageLanguage.store(language);
}

SmtpResult ToResultCode(RawOutcome rawOutcome)
{
    const ResultTable& table = GetResultTable();
    ResultTable::const_iterator row = table.find(rawOutcome);
    return row == table.end() ? kResultGeneralError : row->second.resultCode;
}

const SmtpChar* ToResultText(RawOutcome rawOutcome)
{
    const ResultTable& table = GetResultTable();
    ResultTable::const_iterator row = table.find(rawOutcome);
    if (row == table.end())
        row = table.find(RawOutcome::GeneralErrorKey);
    return row->second.message;
}

} // namespace SMTPClientNS
