// Wall and CPU time of a first archive read of 200 records against the simulated
// instrument with its replies ready at once. The protocol's own pauses for that read are
// 300 + 300 (connect) + 80 (version) + 50 (header) + 200 x 50 (records) = 10730 ms; the
// figure of interest is how much the program adds to them, and how much CPU it burns while
// it waits.
#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "ui/ExchangeStarters.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <sys/resource.h>

#include <cstdlib>

namespace {

constexpr double kProtocolPausesMs = 300 + 300 + 80 + 50 + 200 * 50;

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

bool LoadScenario()
{
    void* handle = dlopen(LM11_SIMULATOR, RTLD_NOW);
    if (!handle) return false;
    auto load = reinterpret_cast<int (*)(const char*)>(dlsym(handle, "lm11sim_load_scenario"));
    return load && load(LM11_BENCH_SCENARIO) == 0;
}

void BM_FirstArchiveRead200(benchmark::State& state)
{
    if (!LoadScenario()) {
        state.SkipWithError("simulator scenario not loaded");
        return;
    }
    double overheadSum = 0, cpuSum = 0;
    int rowsSeen = 0;
    for (auto _ : state) {
        SharedState shared; // VersionUnread 1: the full first-read path
        QWidget owner;
        ArchiveModel model;
        const double cpuBefore = CpuMs();
        QElapsedTimer timer;
        timer.start();
        StartArchiveRead(shared, &owner, &model);
        while (shared.activity.isRunning()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        const double wall = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(wall / 1e3);
        overheadSum += (wall - kProtocolPausesMs) / kProtocolPausesMs * 100;
        cpuSum += CpuMs() - cpuBefore;
        rowsSeen = model.rowCount();
    }
    if (rowsSeen != 200) state.SkipWithError("the table did not get 200 rows");
    state.counters["over_pauses_%"] = overheadSum / double(state.iterations());
    state.counters["cpu_ms"] = cpuSum / double(state.iterations());
    state.counters["pauses_ms"] = kProtocolPausesMs;
}
BENCHMARK(BM_FirstArchiveRead200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    setenv("LM11_LIBUSB", LM11_SIMULATOR, 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopExchangeAtExit();
    return 0;
}
