#pragma once
// Scenario loading for tests that run the program against the instrument simulator.
#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>

/// Loads `text` as the scenario of the simulator named by LM11_LIBUSB. The program loads the
/// same library, so dlopen hands back its handle.
inline bool LoadScenario(const char* text)
{
    void* sim = dlopen(std::getenv("LM11_LIBUSB"), RTLD_NOW);
    if (!sim) {
        ADD_FAILURE() << dlerror();
        return false;
    }
    auto load = reinterpret_cast<int (*)(const char*)>(dlsym(sim, "lm11sim_load_scenario_text"));
    auto lastError = reinterpret_cast<const char* (*)()>(dlsym(sim, "lm11sim_last_error"));
    if (load && load(text) == 0) return true;
    ADD_FAILURE() << "scenario refused: " << (lastError ? lastError() : "no loader") << "\n" << text;
    return false;
}
inline bool LoadScenario(const std::string& text) { return LoadScenario(text.c_str()); }
inline bool LoadScenario(const QByteArray& text) { return LoadScenario(text.constData()); }
inline bool LoadScenario(const QString& text) { return LoadScenario(text.toUtf8()); }
