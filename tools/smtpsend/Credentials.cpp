#include "Credentials.h"

#include <cstdlib>
#include <fstream>

#include "Errors.h"
#include "PasswordPrompt.h"

namespace SmtpSend {

namespace {

std::string FirstLineOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw InputError("cannot read the password file \"" + path + "\"");
    std::string line;
    std::getline(file, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string Variable(const std::string& name, const char* what)
{
    const char* value = std::getenv(name.c_str());
    if (!value)
        throw InputError(std::string("the environment variable ") + name + " for the " + what
                         + " is not set");
    return value;
}

std::string Prompted(const std::string& user)
{
    std::string password;
    if (!ReadHiddenLine("Password for " + user + ": ", password))
        throw InputError("no password was entered");
    return password;
}

std::string Password(const SendOptions& options, bool tokenGiven)
{
    if (!options.passwordFile.empty())
        return FirstLineOf(options.passwordFile);
    if (!options.passwordVariable.empty())
        return Variable(options.passwordVariable, "password");
    if (!options.user.empty() && !tokenGiven && StandardInputIsTerminal())
        return Prompted(options.user);
    return std::string();
}

} // namespace

Credentials GatherCredentials(const SendOptions& options)
{
    Credentials credentials;
    credentials.oauth2Token = options.oauth2TokenVariable.empty()
                                  ? options.oauth2Token
                                  : Variable(options.oauth2TokenVariable, "OAuth 2.0 token");
    credentials.password = Password(options, !credentials.oauth2Token.empty());
    return credentials;
}

} // namespace SmtpSend
