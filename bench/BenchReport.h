// Results go to standard output as one JSON object per line, which
// run_bench.py collects into the table.
#ifndef SMTPCLIENT_BENCH_BENCHREPORT_H
#define SMTPCLIENT_BENCH_BENCHREPORT_H

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace SMTPClientBench {

class Report {
public:
    explicit Report(const std::string& name) { Add("bench", name); }

    void Add(const std::string& key, const std::string& value)
    {
        fields.emplace_back(key, "\"" + value + "\"");
    }

    void Add(const std::string& key, double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.9g", value);
        fields.emplace_back(key, text);
    }

    void Print() const
    {
        std::string line = "{";
        for (size_t i = 0; i < fields.size(); ++i)
            line += (i ? ", \"" : "\"") + fields[i].first + "\": " + fields[i].second;
        std::printf("%s}\n", line.c_str());
        std::fflush(stdout);
    }

private:
    std::vector<std::pair<std::string, std::string>> fields;
};

} // namespace SMTPClientBench

#endif
