// Composition benchmark: the whole request build (envelope, header block,
// MIME tree) for many recipients and for large non-ASCII HTML bodies, and the
// body conversion beside one bare iconv call on the same text. Sizes are
// timed alternately; each figure is the median of the repetitions.
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchReport.h"
#include "smtpclient/SendJob.h"
#include "smtpclient/SendPipeline.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/Transfer.h"
#include "smtpclient/encoding/CharsetConverter.h"
#include "smtpclient/mime/MimeBodyTree.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientBench;
using namespace SMTPClientNS;

namespace {

const size_t kMegabyte = 1024 * 1024;

// Markup, Latin with accents, Greek and Japanese: one to three UTF-8 bytes
// per code unit.
const SmtpChar kParagraph[] =
    u"<p>Gr\u00fc\u00dfe aus K\u00f6ln \u2013 \u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 "
    u"\u03ba\u03cc\u03c3\u03bc\u03b5 \u2013 \u3053\u3093\u306b\u3061\u306f\u4e16\u754c \u2013 "
    u"na\u00efve caf\u00e9, d\u00e9j\u00e0 vu.</p>\n";

size_t Utf8Length(const WString& text)
{
    size_t length = 0;
    for (SmtpChar unit : text)
        length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    return length;
}

// An HTML body whose UTF-8 form is about megabytes long.
WString HtmlBody(size_t megabytes)
{
    const WString paragraph = kParagraph;
    const size_t paragraphBytes = Utf8Length(paragraph);
    WString html = u"<html><body>\n";
    html.reserve(megabytes * kMegabyte);
    for (size_t bytes = Utf8Length(html); bytes < megabytes * kMegabyte; bytes += paragraphBytes)
        html += paragraph;
    return html + u"</body></html>\n";
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A client with a message of count To recipients, each with a display name
// that needs an encoded word.
struct RecipientCase {
    CSmtpClientWrapper* client = new CSmtpClientWrapper();
    CMimeMessage message;

    explicit RecipientCase(int count)
    {
        message.SetFrom(u"sender@bench.test", u"Bench Sender");
        message.SetSubject(u"Composition benchmark");
        message.SetTextBody(u"A short text body.\r\n");
        for (int i = 0; i < count; ++i) {
            const std::string number = std::to_string(i);
            const WString address = WString(number.begin(), number.end()) + u"@bench.test";
            const WString name = u"Empf\u00e4nger " + WString(number.begin(), number.end());
            message.AddTo(address.c_str(), name.c_str());
        }
        client->SetHost(u"127.0.0.1");
        client->SetPort(25);
        client->SetMimeMessage(&message);
    }

    ~RecipientCase() { client->Release(); }
};

// The snapshot a send takes and the build from it.
double TimeBuildRequest(RecipientCase& testCase)
{
    Transfer transfer = Transfer::Create();
    Stopwatch watch;
    const SendJob job(testCase.client->TakeSettings(), &testCase.message, false);
    const RawOutcome rc = BuildRequest(transfer, job.Settings(), job.Message());
    const double seconds = watch.Seconds();
    if (rc != RawOutcome::Success)
        std::fprintf(stderr, "BuildRequest failed: %d\n", ValueOf(rc));
    return seconds;
}

// The body parts of one message: conversion, part data and types.
double TimeBodyParts(const MessageSnapshot& message)
{
    Transfer transfer = Transfer::Create();
    Stopwatch watch;
    const int rc = AddBodyParts(transfer.RootMime(), transfer.AlternativeMime(), message);
    const double seconds = watch.Seconds();
    if (rc != 0)
        std::fprintf(stderr, "AddBodyParts failed: %d\n", rc);
    return seconds;
}

double TimeLibraryConversion(const WString& html)
{
    char* converted = nullptr;
    size_t length = 0;
    Stopwatch watch;
    const int rc =
        ConvertUtf16ToCharset(GetSharedConverter(), "UTF-8", html.c_str(), &converted, &length);
    const double seconds = watch.Seconds();
    if (rc != 0)
        std::fprintf(stderr, "conversion failed: %d\n", rc);
    FreeConverted(converted);
    return seconds;
}

// What a caller of iconv alone would write: the UTF-16LE text converted in
// one call into a buffer of three bytes per code unit.
double TimeBareIconv(const WString& html, iconv_t handle)
{
    Stopwatch watch;
    size_t inputLeft = html.size() * sizeof(SmtpChar);
    size_t outputLeft = html.size() * 3 + 1;
    std::unique_ptr<char[]> output(new char[outputLeft]);
    char* input = reinterpret_cast<char*>(const_cast<SmtpChar*>(html.data()));
    char* out = output.get();
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    const size_t rc = iconv(handle, &input, &inputLeft, &out, &outputLeft);
    const double seconds = watch.Seconds();
    if (rc == static_cast<size_t>(-1))
        std::fprintf(stderr, "bare iconv failed\n");
    return seconds;
}

void RunRecipients(int repetitions)
{
    const std::vector<int> counts = {100, 1000, 10000};
    std::vector<std::unique_ptr<RecipientCase>> cases;
    for (int count : counts)
        cases.emplace_back(new RecipientCase(count));
    std::vector<std::vector<double>> times(counts.size());
    for (int round = 0; round < repetitions; ++round)
        for (size_t step = 0; step < counts.size(); ++step) {
            const size_t which = (step + round) % counts.size();
            times[which].push_back(TimeBuildRequest(*cases[which]));
        }
    for (size_t i = 0; i < counts.size(); ++i) {
        Report report("compose_recipients");
        report.Add("recipients", counts[i]);
        report.Add("seconds", Median(times[i]));
        report.Print();
    }
}

void RunBodies(int repetitions)
{
    const std::vector<size_t> sizes = {1, 8, 64};
    iconv_t handle = iconv_open("UTF-8", "UTF-16LE");
    for (size_t megabytes : sizes) {
        const WString html = HtmlBody(megabytes);
        CMimeMessage message;
        message.SetHtmlBody(html.c_str());
        const MessageSnapshot snapshot = TakeMessageSnapshot(message);
        const std::vector<std::function<double()>> variants = {
            [&] { return TimeBodyParts(snapshot); },
            [&] { return TimeLibraryConversion(html); },
            [&] { return TimeBareIconv(html, handle); },
        };
        std::vector<std::vector<double>> times(variants.size());
        for (int round = 0; round < repetitions; ++round)
            for (size_t step = 0; step < variants.size(); ++step) {
                const size_t which = (step + round) % variants.size();
                times[which].push_back(variants[which]());
            }
        Report report("compose_body");
        report.Add("megabytes", static_cast<double>(megabytes));
        report.Add("utf8_bytes", static_cast<double>(Utf8Length(html)));
        report.Add("code_units", static_cast<double>(html.size()));
        report.Add("body_parts_seconds", Median(times[0]));
        report.Add("conversion_seconds", Median(times[1]));
        report.Add("bare_iconv_seconds", Median(times[2]));
        report.Print();
    }
    iconv_close(handle);
}

// One request build for count recipients, or the body parts of one HTML
// body of count megabytes, for counting instructions under callgrind.
void RunOnce(const std::string& what, int count)
{
    if (what == "recipients") {
        RecipientCase testCase(count);
        TimeBuildRequest(testCase);
        return;
    }
    const WString html = HtmlBody(count);
    CMimeMessage message;
    message.SetHtmlBody(html.c_str());
    TimeBodyParts(TakeMessageSnapshot(message));
}

} // namespace

// smtpbench_compose [repetitions]: the timed runs.
// smtpbench_compose once recipients|body count: one build, for callgrind.
int main(int argc, char** argv)
{
    if (argc > 3 && std::string(argv[1]) == "once") {
        RunOnce(argv[2], std::atoi(argv[3]));
        return 0;
    }
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
    RunRecipients(repetitions);
    RunBodies(repetitions);
    Report report("compose_memory");
    report.Add("peak_rss_kb", PeakResidentKb());
    report.Print();
    return 0;
}
