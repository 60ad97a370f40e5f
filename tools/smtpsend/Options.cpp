#include "Options.h"

#include <getopt.h>

#include <stdexcept>

#include "Errors.h"
#include "Numbers.h"

namespace SmtpSend {

namespace {

constexpr int kDefaultTlsPort = 587;
constexpr int kDefaultPlainPort = 25;
constexpr int kMaximumRepeat = 1000000;
constexpr int kMaximumTimeout = 24 * 60 * 60;
constexpr int kMaximumConnections = 16; // the library's bound
constexpr int kMaximumRate = 1000000;

struct Keyword {
    const char* name;
    int value;
};

const Keyword kTlsVersions[] = {{"any", 0}, {"1.0", 1}, {"1.1", 2}, {"1.2", 3}, {"1.3", 4}};
const Keyword kPriorities[] = {{"normal", 0}, {"low", 1}, {"high", 2}};
const Keyword kBodyEncodings[] = {{"ansi", 0}, {"utf8", 1}};
const Keyword kLanguages[] = {{"en", 0}, {"ja", 1}, {"da", 2}, {"nl", 3}, {"fr", 4}, {"de", 5},
                              {"it", 6}, {"no", 7}, {"es", 8}, {"sv", 9}, {"zh", 10}};

template <size_t count>
int Choose(const Keyword (&keywords)[count], const std::string& value, const char* option)
{
    std::string names;
    for (const Keyword& keyword : keywords) {
        if (value == keyword.name)
            return keyword.value;
        names += names.empty() ? "" : ", ";
        names += keyword.name;
    }
    throw UsageError(std::string("--") + option + " must be one of " + names + ", not \"" + value
                     + "\"");
}

int Number(const std::string& value, int lowest, int highest, const char* option)
{
    try {
        return ParseNumber(value, lowest, highest, std::string("--") + option);
    } catch (const std::invalid_argument& error) {
        throw UsageError(error.what());
    }
}

InlineImage ParseInlineImage(const std::string& value)
{
    const size_t equals = value.rfind('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size())
        throw UsageError("--inline needs FILE=CID, not \"" + value + "\"");
    return InlineImage{value.substr(0, equals), value.substr(equals + 1)};
}

ProxyUrl Proxy(const std::string& value)
{
    try {
        return ParseProxyUrl(value);
    } catch (const std::invalid_argument& error) {
        throw UsageError(std::string("--proxy: ") + error.what());
    }
}

void AddRecipient(SendOptions& options, RecipientKind kind, const std::string& value)
{
    options.recipients.push_back(Recipient{kind, ParseMailbox(value)});
}

struct OptionEntry {
    const char* name;
    bool takesValue;
    void (*apply)(CommandLine& line, const std::string& value);
};

// Every option, in the order of --help.
const OptionEntry kOptionTable[] = {
    {"server", true, [](CommandLine& l, const std::string& v) { l.options.server = v; }},
    {"port", true,
     [](CommandLine& l, const std::string& v) { l.options.port = Number(v, 1, 65535, "port"); }},
    {"no-tls", false, [](CommandLine& l, const std::string&) { l.options.useTls = false; }},
    {"tls-version", true,
     [](CommandLine& l, const std::string& v) {
         l.options.tlsVersion = Choose(kTlsVersions, v, "tls-version");
     }},
    {"insecure", false,
     [](CommandLine& l, const std::string&) { l.options.verifyCertificate = false; }},
    {"verify-status", false,
     [](CommandLine& l, const std::string&) { l.options.verifyStatus = true; }},
    {"proxy", true,
     [](CommandLine& l, const std::string& v) {
         l.options.useProxy = true;
         l.options.proxy = Proxy(v);
     }},
    {"connect-timeout", true,
     [](CommandLine& l, const std::string& v) {
         l.options.connectTimeout = Number(v, 0, kMaximumTimeout, "connect-timeout");
     }},
    {"user", true, [](CommandLine& l, const std::string& v) { l.options.user = v; }},
    {"password-file", true,
     [](CommandLine& l, const std::string& v) { l.options.passwordFile = v; }},
    {"password-env", true,
     [](CommandLine& l, const std::string& v) { l.options.passwordVariable = v; }},
    {"oauth2-token", true, [](CommandLine& l, const std::string& v) { l.options.oauth2Token = v; }},
    {"oauth2-token-env", true,
     [](CommandLine& l, const std::string& v) { l.options.oauth2TokenVariable = v; }},
    {"from", true, [](CommandLine& l, const std::string& v) { l.options.from = ParseMailbox(v); }},
    {"to", true,
     [](CommandLine& l, const std::string& v) { AddRecipient(l.options, RecipientKind::To, v); }},
    {"cc", true,
     [](CommandLine& l, const std::string& v) { AddRecipient(l.options, RecipientKind::Cc, v); }},
    {"bcc", true,
     [](CommandLine& l, const std::string& v) { AddRecipient(l.options, RecipientKind::Bcc, v); }},
    {"subject", true, [](CommandLine& l, const std::string& v) { l.options.subject = v; }},
    {"text", true, [](CommandLine& l, const std::string& v) { l.options.textBody.text = v; }},
    {"html", true, [](CommandLine& l, const std::string& v) { l.options.htmlBody.text = v; }},
    {"text-file", true, [](CommandLine& l, const std::string& v) { l.options.textBody.file = v; }},
    {"html-file", true, [](CommandLine& l, const std::string& v) { l.options.htmlBody.file = v; }},
    {"body-encoding", true,
     [](CommandLine& l, const std::string& v) {
         l.options.utf8BodyFiles = Choose(kBodyEncodings, v, "body-encoding") == 1;
     }},
    {"embed-images", false,
     [](CommandLine& l, const std::string&) { l.options.embedImages = true; }},
    {"attach", true,
     [](CommandLine& l, const std::string& v) { l.options.attachments.push_back(v); }},
    {"inline", true,
     [](CommandLine& l, const std::string& v) {
         l.options.inlineImages.push_back(ParseInlineImage(v));
     }},
    {"priority", true,
     [](CommandLine& l, const std::string& v) {
         l.options.priority = Choose(kPriorities, v, "priority");
     }},
    {"charset", true, [](CommandLine& l, const std::string& v) { l.options.charset = v; }},
    {"log", true, [](CommandLine& l, const std::string& v) { l.options.logFile = v; }},
    {"log-append", false, [](CommandLine& l, const std::string&) { l.options.logAppend = true; }},
    {"lang", true,
     [](CommandLine& l, const std::string& v) {
         l.options.languageGiven = true;
         l.options.language = Choose(kLanguages, v, "lang");
     }},
    {"async", false, [](CommandLine& l, const std::string&) { l.options.async = true; }},
    {"repeat", true,
     [](CommandLine& l, const std::string& v) {
         l.options.repeatGiven = true;
         l.options.repeat = Number(v, 1, kMaximumRepeat, "repeat");
     }},
    {"keep-connection", false,
     [](CommandLine& l, const std::string&) { l.options.keepConnection = true; }},
    {"connections", true,
     [](CommandLine& l, const std::string& v) {
         l.options.connections = Number(v, 1, kMaximumConnections, "connections");
     }},
    {"max-per-connection", true,
     [](CommandLine& l, const std::string& v) {
         l.options.maxPerConnection = Number(v, 0, kMaximumRepeat, "max-per-connection");
     }},
    {"rate", true,
     [](CommandLine& l, const std::string& v) {
         l.options.rate = Number(v, 0, kMaximumRate, "rate");
     }},
    {"partial", false, [](CommandLine& l, const std::string&) { l.options.partial = true; }},
    {"verbose", false, [](CommandLine& l, const std::string&) { l.options.verbose = true; }},
    {"help", false, [](CommandLine& l, const std::string&) { l.request = Request::Help; }},
    {"version", false, [](CommandLine& l, const std::string&) { l.request = Request::Version; }},
};

constexpr int kOptionCount = sizeof(kOptionTable) / sizeof(kOptionTable[0]);
constexpr int kFirstOptionValue = 256; // above every short option character

std::vector<option> LongOptions()
{
    std::vector<option> options;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry& entry = kOptionTable[i];
        options.push_back(option{entry.name, entry.takesValue ? required_argument : no_argument,
                                 nullptr, kFirstOptionValue + i});
    }
    options.push_back(option{nullptr, 0, nullptr, 0});
    return options;
}

void Require(bool condition, const char* message)
{
    if (!condition)
        throw UsageError(message);
}

void CheckBodies(const SendOptions& options)
{
    Require(options.textBody.text.empty() || options.textBody.file.empty(),
            "--text and --text-file cannot be combined");
    Require(options.htmlBody.text.empty() || options.htmlBody.file.empty(),
            "--html and --html-file cannot be combined");
    Require(!options.embedImages || !options.htmlBody.file.empty(),
            "--embed-images needs --html-file");
}

void CheckCredentials(const SendOptions& options)
{
    const bool passwordGiven = !options.passwordFile.empty() || !options.passwordVariable.empty();
    Require(options.passwordFile.empty() || options.passwordVariable.empty(),
            "--password-file and --password-env cannot be combined");
    Require(!passwordGiven || !options.user.empty(), "a password needs --user");
    Require(options.oauth2Token.empty() || options.oauth2TokenVariable.empty(),
            "--oauth2-token and --oauth2-token-env cannot be combined");
}

void CheckSending(const SendOptions& options)
{
    Require(!options.server.empty(), "--server is required");
    Require(!options.from.address.empty(), "--from is required");
    Require(!options.recipients.empty(), "at least one --to, --cc or --bcc is required");
    Require(!options.logAppend || !options.logFile.empty(), "--log-append needs --log");
    Require(options.logFile.empty() || !options.async,
            "--log records synchronous sends only and cannot be combined with --async");
    Require(options.connections < 0 || options.async, "--connections needs --async");
    Require(options.maxPerConnection < 0 || options.keepConnection,
            "--max-per-connection needs --keep-connection");
    CheckBodies(options);
    CheckCredentials(options);
}

[[noreturn]] void RejectOption(int result, char** argv)
{
    const std::string given = argv[optind - 1];
    if (result == ':')
        throw UsageError("option '" + given + "' needs a value");
    throw UsageError("unknown or ambiguous option '" + given + "'");
}

} // namespace

CommandLine ParseCommandLine(int argc, char** argv)
{
    const std::vector<option> longOptions = LongOptions();
    CommandLine line;
    opterr = 0;
    for (;;) {
        const int result = getopt_long(argc, argv, ":h", longOptions.data(), nullptr);
        if (result == -1)
            break;
        if (result == 'h')
            line.request = Request::Help;
        else if (result >= kFirstOptionValue && result < kFirstOptionValue + kOptionCount)
            kOptionTable[result - kFirstOptionValue].apply(line, optarg ? optarg : "");
        else
            RejectOption(result, argv);
    }
    if (optind < argc)
        throw UsageError(std::string("unexpected argument '") + argv[optind] + "'");
    if (line.request != Request::Send)
        return line;
    CheckSending(line.options);
    if (line.options.port == 0)
        line.options.port = line.options.useTls ? kDefaultTlsPort : kDefaultPlainPort;
    return line;
}

} // namespace SmtpSend
