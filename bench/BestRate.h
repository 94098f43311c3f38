// The console reporter the rate benchmarks share: it keeps the fastest of
// the repetitions of each benchmark, by function name, so a ratio compares
// the best run of ours with the best run of the peer on a noisy machine.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

class BestRateReporter : public benchmark::ConsoleReporter {
 public:
  explicit BestRateReporter(std::string Counter) : FCounter(std::move(Counter)) {}
  std::map<std::string, double> rates;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      auto it = run.counters.find(FCounter);
      if (it == run.counters.end()) continue;
      double& best = rates[run.run_name.function_name];
      best = std::max(best, it->second.value);
    }
    ConsoleReporter::ReportRuns(runs);
  }

 private:
  std::string FCounter;
};
