// Wall time from process start to the first shown main window, for the program and for a
// minimal Qt Widgets program, measured alternately in the same run.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>

extern char** environ;

namespace {

bool RunOnce(const char* program)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_StartupMinimal(benchmark::State& state)
{
    for (auto _ : state)
        if (!RunOnce(PROBE_MINIMAL)) state.SkipWithError("minimal probe failed");
}
void BM_StartupLm11(benchmark::State& state)
{
    for (auto _ : state)
        if (!RunOnce(PROBE_LM11)) state.SkipWithError("lm11 probe failed");
}
BENCHMARK(BM_StartupMinimal)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupLm11)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupMinimal)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupLm11)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
