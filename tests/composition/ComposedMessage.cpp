#include "ComposedMessage.h"

#include <regex>

#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/platform/ComputerName.h"

namespace SMTPClientTest {

using namespace SMTPClientNS;

ComposedMessage::ComposedMessage()
    : message_(new CMimeMessage()), client_(new CSmtpClient(new CSmtpClientWrapper()))
{
    client_->SetMimeMessage(message_);
}

ComposedMessage::~ComposedMessage()
{
    client_->Release();
    message_->Release();
}

namespace {

std::string RegexEscape(const std::string& text)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\-])");
    return std::regex_replace(text, special, R"(\$&)");
}

} // namespace

std::string MaskHeaderBlock(const std::string& block)
{
    static const std::regex date(
        "Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] "
        "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [+-][0-9]{4}\r\n");
    const std::regex messageId(
        "Message - ID: <[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}@" +
        RegexEscape(Platform::ComputerName()) + ">\r\n");
    const std::string masked = std::regex_replace(block, date, "Date: <date>\r\n");
    return std::regex_replace(masked, messageId, "Message - ID: <id>\r\n");
}

} // namespace SMTPClientTest
