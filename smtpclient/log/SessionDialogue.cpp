#include "SessionDialogue.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "../encoding/CodePage.h"
#include "PrintableBytes.h"

namespace SMTPClientNS {

namespace {

const char kMask[] = "****";
const char kChallengeCode[] = "334";

std::string Readable(const std::string& line)
{
    std::string text(line.size(), '.');
    CopyPrintable<IsDialogueByte>(reinterpret_cast<const unsigned char*>(line.data()), line.size(),
                                  &text[0]);
    return text;
}

// Commands are case-insensitive: "auth plain" is AUTH PLAIN.
bool StartsWithCommand(const std::string& line, const std::string& command)
{
    if (line.size() < command.size())
        return false;
    for (size_t at = 0; at < command.size(); ++at) {
        if (std::toupper(static_cast<unsigned char>(line[at])) != command[at])
            return false;
    }
    return true;
}

// "AUTH MECHANISM ARGUMENT": the argument is a credential in every mechanism
// that sends one, so only the mechanism's name stays readable.
std::string MaskAuthArgument(const std::string& command)
{
    static const std::string kAuth = "AUTH ";
    if (!StartsWithCommand(command, kAuth))
        return command;
    const size_t mechanism = command.find_first_not_of(' ', kAuth.size());
    const size_t end = command.find(' ', mechanism);
    if (mechanism == std::string::npos || end == std::string::npos)
        return command;
    return command.substr(0, end) + " " + kMask;
}

// Where the line after the one at start begins: past its LF, or at size.
size_t NextLineStart(const char* data, size_t size, size_t start)
{
    const void* lineFeed = std::memchr(data + start, '\n', size - start);
    return lineFeed != nullptr ? static_cast<const char*>(lineFeed) - data + 1 : size;
}

size_t LengthWithoutLineBreak(const char* line, size_t length)
{
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        --length;
    return length;
}

// Hands every complete line of block, without its line break, to take; an
// unfinished line waits in partial for the next block.
template <typename Take>
void SplitLines(std::string& partial, const char* data, size_t size, Take take)
{
    partial.append(data, size);
    size_t start = 0;
    for (size_t end = partial.find('\n'); end != std::string::npos;
         end = partial.find('\n', start)) {
        size_t length = end - start;
        if (length > 0 && partial[end - 1] == '\r')
            --length;
        take(partial.substr(start, length));
        start = end + 1;
    }
    partial.erase(0, start);
}

// A line the client sent right after a login challenge is a credential as a
// whole; it continues the AUTH step rather than starting a new one.
void TakeClientLine(SendTrace& trace, const std::string& line)
{
    DialogueState& dialogue = trace.dialogue;
    std::string shown;
    if (dialogue.challenged) {
        shown = kMask;
    } else {
        shown = Readable(MaskAuthArgument(line));
        dialogue.step = shown;
    }
    dialogue.challenged = false;
    dialogue.dataSent = false;
    trace.sessionEntries.push_back("C: " + shown + "\n");
}

// "250-..." announces more lines of the same reply; anything else ends it.
bool IsLastReplyLine(const std::string& line)
{
    return !(line.size() >= 4 && line[3] == '-');
}

std::string StepOfReply(const DialogueState& dialogue)
{
    if (dialogue.dataSent)
        return "after the message data";
    if (dialogue.step.empty())
        return "on connecting";
    return "at " + dialogue.step;
}

bool IsRefusal(const std::string& reply)
{
    return !reply.empty() && (reply[0] == '4' || reply[0] == '5');
}

void TakeServerLine(SendTrace& trace, const std::string& line)
{
    DialogueState& dialogue = trace.dialogue;
    dialogue.replyLines.push_back(Readable(line));
    if (!IsLastReplyLine(line))
        return;
    std::string entry, reply;
    for (const std::string& replyLine : dialogue.replyLines) {
        entry += "S: " + replyLine + "\n";
        reply += (reply.empty() ? "" : "\n") + replyLine;
    }
    dialogue.replyLines.clear();
    // libcurl says QUIT after a refusal too; the reply to it explains nothing.
    if (!StartsWithCommand(dialogue.step, "QUIT")) {
        dialogue.lastReply = reply;
        dialogue.lastReplyStep = StepOfReply(dialogue);
    }
    if (StartsWithCommand(dialogue.step, "RCPT TO") && IsRefusal(reply))
        dialogue.refusals.push_back(dialogue.lastReplyStep + ": " + reply);
    dialogue.challenged = reply.compare(0, 3, kChallengeCode) == 0;
    trace.sessionEntries.push_back(entry);
}

// What libcurl said went wrong; for an outcome of the send pipeline itself,
// the library's own message for it.
std::string FailureText(const SendTrace& trace, RawOutcome rawOutcome, ResultTextOf toResultText)
{
    if (trace.errorBuffer[0] != '\0')
        return Readable(trace.errorBuffer);
    if (ValueOf(rawOutcome) > 0)
        return curl_easy_strerror(static_cast<CURLcode>(rawOutcome));
    std::string text;
    WideToAnsi(toResultText(rawOutcome), text);
    return text;
}

} // namespace

void StartSessionDialogue(SendTrace& trace, CURL* handle)
{
    trace.errorBuffer[0] = '\0';
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, trace.errorBuffer);
}

void NoteSessionDialogue(SendTrace& trace, curl_infotype type, const char* data, size_t size)
{
    DialogueState& dialogue = trace.dialogue;
    switch (type) {
    case CURLINFO_HEADER_OUT:
        SplitLines(dialogue.clientLine, data, size,
                   [&trace](const std::string& line) { TakeClientLine(trace, line); });
        break;
    case CURLINFO_HEADER_IN:
        SplitLines(dialogue.serverLine, data, size,
                   [&trace](const std::string& line) { TakeServerLine(trace, line); });
        break;
    case CURLINFO_DATA_OUT:
        dialogue.dataSent = dialogue.dataSent || size > 0;
        break;
    default:
        break;
    }
}

// A line continued from an earlier block is left as it came: libcurl sends
// each command whole.
std::string MaskedCommands(const DialogueState& dialogue, const char* data, size_t size)
{
    std::string shown;
    bool challenged = dialogue.challenged && dialogue.clientLine.empty();
    for (size_t start = 0; start < size;) {
        const size_t next = NextLineStart(data, size, start);
        const size_t length = LengthWithoutLineBreak(data + start, next - start);
        shown += challenged ? kMask : MaskAuthArgument(std::string(data + start, length));
        // The line break goes as it came.
        shown.append(data + start + length, next - start - length);
        challenged = false;
        start = next;
    }
    return shown;
}

void AppendClosingEntry(SendTrace& trace, RawOutcome rawOutcome, ResultTextOf toResultText)
{
    const DialogueState& dialogue = trace.dialogue;
    std::string entry;
    if (rawOutcome == RawOutcome::Success) {
        // A mail delivered in part: the recipients it did not reach.
        entry = "Accepted: " + dialogue.lastReply;
        for (const std::string& refusal : dialogue.refusals)
            entry += "\nRefused " + refusal;
    } else if (IsRefusal(dialogue.lastReply))
        entry = "Refused " + dialogue.lastReplyStep + ": " + dialogue.lastReply;
    else
        entry = "Send failed: " + FailureText(trace, rawOutcome, toResultText);
    trace.sessionEntries.push_back(entry + "\n");
}

} // namespace SMTPClientNS
