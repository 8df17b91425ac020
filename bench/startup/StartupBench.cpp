// Wall time from process start to the first shown main window, for the program and for a
// minimal Qt Widgets program. The two are started in turn, one of each per iteration, so
// that whatever else the machine does weighs on both alike; the counters give the median
// of each and their ratio.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

/// Milliseconds from spawn to exit, or a negative number when the probe failed.
double RunOnce(const char* program)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void BM_StartupMinimal(benchmark::State& state)
{
    for (auto _ : state)
        if (RunOnce(PROBE_MINIMAL) < 0) state.SkipWithError("minimal probe failed");
}

void BM_StartupLm11(benchmark::State& state)
{
    for (auto _ : state)
        if (RunOnce(PROBE_LM11) < 0) state.SkipWithError("lm11 probe failed");
}

void BM_StartupPaired(benchmark::State& state)
{
    std::vector<double> minimal, lm11;
    for (auto _ : state) {
        const double a = RunOnce(PROBE_MINIMAL);
        const double b = RunOnce(PROBE_LM11);
        if (a < 0 || b < 0) {
            state.SkipWithError("a probe failed");
            break;
        }
        minimal.push_back(a);
        lm11.push_back(b);
    }
    const double m = Median(minimal), l = Median(lm11);
    state.counters["minimal_ms"] = m;
    state.counters["lm11_ms"] = l;
    state.counters["ratio"] = m > 0 ? l / m : 0;
}

BENCHMARK(BM_StartupMinimal)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupLm11)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupPaired)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

} // namespace

BENCHMARK_MAIN();
