#include "Numbers.h"

#include <stdexcept>

namespace SmtpSend {

int ParseNumber(const std::string& text, int lowest, int highest, const std::string& what)
{
    const std::string range = std::to_string(lowest) + " to " + std::to_string(highest);
    const bool digitsOnly = !text.empty() && text.size() <= 10
                            && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly)
        throw std::invalid_argument(what + " must be a number from " + range + ", not \"" + text
                                    + "\"");
    const long long value = std::stoll(text);
    if (value < lowest || value > highest)
        throw std::invalid_argument(what + " must be from " + range + ", not " + text);
    return static_cast<int>(value);
}

} // namespace SmtpSend
