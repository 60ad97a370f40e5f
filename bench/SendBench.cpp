// Send benchmarks against a local SMTP sink:
//   small  --port P --count N --block B   library Send and direct libcurl, alternating blocks
//   direct --port P --count N             direct libcurl only
//   async  --port P --count N --rounds R  Send, SendAsync on one client, on four clients
//   large  --port P --file F --variant V [--base64 T]
//                                         one mail with F attached; V is sync, async, direct
//                                         (libcurl encodes F) or ready (libcurl reads T, the
//                                         Base64 text of F in lines)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchMessage.h"
#include "BenchReport.h"
#include "DirectTransfer.h"
#include "LibraryTransfer.h"

using namespace SMTPClientBench;

namespace {

typedef std::map<std::string, std::string> Arguments;

Arguments ParseArguments(int argc, char** argv)
{
    Arguments arguments;
    for (int i = 2; i + 1 < argc; i += 2)
        arguments[argv[i] + 2] = argv[i + 1];
    return arguments;
}

int IntArgument(const Arguments& arguments, const char* name, int fallback)
{
    const auto found = arguments.find(name);
    return found == arguments.end() ? fallback : std::atoi(found->second.c_str());
}

// Counts completions; the library calls it on this thread while it pumps.
class CountingCallback : public SMTPClientNS::IAsyncCallback {
public:
    int OnSendComplete(int, int resultCode, const SMTPClientNS::SmtpChar*) override
    {
        ++completed;
        if (resultCode != 1)
            ++failed;
        return 0;
    }

    int completed = 0;
    int failed = 0;
};

void PumpUntil(const CountingCallback& callback, int count)
{
    while (callback.completed < count)
        SmtpClientDispatchMessages(100);
}

// Prints the report with its failure count; the exit status of the run.
int PrintWithFailures(Report& report, int failed)
{
    report.Add("failures", failed);
    report.Print();
    return failed == 0 ? 0 : 1;
}

int SendSync(LibraryClient& client, int count)
{
    int failed = 0;
    for (int i = 0; i < count; ++i)
        failed += client.Client().Send() != 1;
    return failed;
}

int SendDirectLoop(const MessageContent& content, int port, int count,
                   int mimeTrees = kFewestMimeTrees)
{
    int failed = 0;
    for (int i = 0; i < count; ++i)
        failed += SendDirect(content, port, mimeTrees) != 0;
    return failed;
}

// Queues count sends spread evenly over the clients, then pumps until all
// have completed.
int SendQueued(std::vector<std::unique_ptr<LibraryClient>>& clients, CountingCallback& callback,
               int count)
{
    callback = CountingCallback();
    for (auto& client : clients)
        client->Client().SetAsyncCallback(&callback);
    for (int i = 0; i < count; ++i)
        clients[i % clients.size()]->Client().SendAsync();
    PumpUntil(callback, count);
    return callback.failed;
}

// One contender of the small-message comparison and its running totals.
struct SmallSide {
    const char* name;
    std::function<int(int)> send;
    double seconds = 0;
    double cpu = 0;
    double roundSeconds = 0;
    std::vector<double> roundRatios;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int RunSmall(const Arguments& arguments)
{
    const int port = IntArgument(arguments, "port", 25);
    const int count = IntArgument(arguments, "count", 2000);
    const int block = IntArgument(arguments, "block", 100);
    const MessageContent content = SmallMessage();
    LibraryClient client(content, port);
    std::vector<SmallSide> sides(3);
    sides[0].name = "library";
    sides[0].send = [&](int n) { return SendSync(client, n); };
    sides[1].name = "direct";
    sides[1].send = [&](int n) { return SendDirectLoop(content, port, n, kFewestMimeTrees); };
    sides[2].name = "direct_four_trees";
    sides[2].send = [&](int n) { return SendDirectLoop(content, port, n, kLibraryMimeTrees); };
    int failed = 0;
    for (int done = 0, round = 0; done < count; done += block, ++round) {
        const int n = std::min(block, count - done);
        // Which side goes first changes every round.
        for (size_t turn = 0; turn < sides.size(); ++turn) {
            SmallSide& side = sides[(turn + round) % sides.size()];
            Stopwatch watch;
            const double cpu = ProcessCpuSeconds();
            failed += side.send(n);
            side.roundSeconds = watch.Seconds();
            side.seconds += side.roundSeconds;
            side.cpu += ProcessCpuSeconds() - cpu;
        }
        for (SmallSide& side : sides)
            side.roundRatios.push_back(side.roundSeconds / sides[0].roundSeconds);
    }
    Report report("small");
    report.Add("count", count);
    for (const SmallSide& side : sides) {
        report.Add(std::string(side.name) + "_seconds", side.seconds);
        report.Add(std::string(side.name) + "_cpu_seconds", side.cpu);
        report.Add(std::string(side.name) + "_median_round_ratio", Median(side.roundRatios));
    }
    return PrintWithFailures(report, failed);
}

int RunDirect(const Arguments& arguments)
{
    const int port = IntArgument(arguments, "port", 25);
    const int count = IntArgument(arguments, "count", 500);
    Stopwatch watch;
    const int failed = SendDirectLoop(SmallMessage(), port, count);
    Report report("direct");
    report.Add("count", count);
    report.Add("seconds", watch.Seconds());
    return PrintWithFailures(report, failed);
}

int RunAsync(const Arguments& arguments)
{
    const int port = IntArgument(arguments, "port", 25);
    const int count = IntArgument(arguments, "count", 2000);
    const int rounds = IntArgument(arguments, "rounds", 1);
    const MessageContent content = SmallMessage();
    LibraryClient syncClient(content, port);
    std::vector<std::unique_ptr<LibraryClient>> oneClient;
    oneClient.emplace_back(new LibraryClient(content, port));
    std::vector<std::unique_ptr<LibraryClient>> fourClients;
    for (int i = 0; i < 4; ++i)
        fourClients.emplace_back(new LibraryClient(content, port));
    CountingCallback callback;

    const std::vector<std::pair<std::string, std::function<int()>>> variants = {
        {"sync", [&] { return SendSync(syncClient, count); }},
        {"async1", [&] { return SendQueued(oneClient, callback, count); }},
        {"async4", [&] { return SendQueued(fourClients, callback, count); }},
    };
    std::vector<double> seconds(variants.size(), 0.0);
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        for (size_t step = 0; step < variants.size(); ++step) {
            const size_t which = (step + round) % variants.size();
            Stopwatch watch;
            failed += variants[which].second();
            seconds[which] += watch.Seconds();
        }
    }
    Report report("async");
    report.Add("count", static_cast<double>(count) * rounds);
    for (size_t i = 0; i < variants.size(); ++i)
        report.Add(variants[i].first + "_seconds", seconds[i]);
    return PrintWithFailures(report, failed);
}

int RunLarge(const Arguments& arguments)
{
    const int port = IntArgument(arguments, "port", 25);
    const std::string variant = arguments.count("variant") ? arguments.at("variant") : "async";
    MessageContent content = SmallMessage();
    content.attachmentPath = arguments.count("file") ? arguments.at("file") : "";
    if (variant == "ready")
        content.readyBase64Path = arguments.count("base64") ? arguments.at("base64") : "";
    const long startKb = PeakResidentKb();
    const double startCpu = ProcessCpuSeconds();
    Stopwatch watch;
    int failed = 0;
    if (variant == "direct" || variant == "ready") {
        failed = SendDirect(content, port) != 0;
    } else {
        LibraryClient client(content, port);
        if (variant == "sync") {
            failed = client.Client().Send() != 1;
        } else {
            CountingCallback callback;
            client.Client().SetAsyncCallback(&callback);
            client.Client().SendAsync();
            PumpUntil(callback, 1);
            failed = callback.failed;
        }
    }
    Report report("large");
    report.Add("variant", variant);
    report.Add("seconds", watch.Seconds());
    report.Add("cpu_seconds", ProcessCpuSeconds() - startCpu);
    report.Add("start_rss_kb", startKb);
    report.Add("peak_rss_kb", PeakResidentKb());
    return PrintWithFailures(report, failed);
}

} // namespace

int main(int argc, char** argv)
{
    const std::map<std::string, std::function<int(const Arguments&)>> modes = {
        {"small", RunSmall}, {"direct", RunDirect}, {"async", RunAsync}, {"large", RunLarge}};
    const auto mode = argc > 1 ? modes.find(argv[1]) : modes.end();
    if (mode == modes.end()) {
        std::fprintf(stderr, "usage: %s small|direct|async|large --port P [...]\n", argv[0]);
        return 2;
    }
    return mode->second(ParseArguments(argc, argv));
}
