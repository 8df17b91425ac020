#pragma once
// Reaching the simulator library from a test: its path in the build, its scenario switch,
// and the transcript it writes.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace simtest {

inline std::string SimLibrary(const std::string& variant = "")
{
    return std::string(LM11_BINARY_DIR) + "/sim/liblm11sim" + (variant.empty() ? "" : "_" + variant) + ".so";
}

struct TranscriptLine {
    double at = 0;
    std::string call;
    std::string text;  ///< details up to " : "
    std::string bytes; ///< hex after " : "
};

inline std::vector<TranscriptLine> ReadTranscript(const std::string& path)
{
    std::vector<TranscriptLine> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        TranscriptLine t;
        std::istringstream fields(line);
        fields >> t.at >> t.call;
        std::getline(fields, t.text);
        t.text.erase(0, t.text.find_first_not_of(' '));
        if (const auto colon = t.text.find(" : "); colon != std::string::npos) {
            t.bytes = t.text.substr(colon + 3);
            t.text.erase(colon);
        } else if (t.text.size() >= 2 && t.text.compare(t.text.size() - 2, 2, " :") == 0) {
            t.text.erase(t.text.size() - 2);
        }
        out.push_back(t);
    }
    return out;
}

inline std::vector<TranscriptLine> Calls(const std::vector<TranscriptLine>& all, const std::string& call)
{
    std::vector<TranscriptLine> out;
    for (const auto& t : all)
        if (t.call == call) out.push_back(t);
    return out;
}

/// The simulator as the test process sees it. Holding our own reference keeps the library
/// mapped when the code under test unloads it, so its scenario can be switched in between.
class SimHandle {
public:
    explicit SimHandle(const std::string& path = SimLibrary())
    {
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) return;
        loadText_ = reinterpret_cast<int (*)(const char*)>(dlsym(handle_, "lm11sim_load_scenario_text"));
        lastError_ = reinterpret_cast<const char* (*)()>(dlsym(handle_, "lm11sim_last_error"));
    }
    ~SimHandle()
    {
        if (handle_) dlclose(handle_);
    }
    SimHandle(const SimHandle&) = delete;
    SimHandle& operator=(const SimHandle&) = delete;

    bool ok() const { return handle_ && loadText_ && lastError_; }
    void* handle() const { return handle_; }
    /// Loads a scenario; fails the test with the simulator's reason otherwise.
    void load(const std::string& text) { ASSERT_EQ(loadText_(text.c_str()), 0) << lastError_(); }
    template <class F> F* symbol(const char* name) const
    {
        return reinterpret_cast<F*>(dlsym(handle_, name));
    }

private:
    void* handle_ = nullptr;
    int (*loadText_)(const char*) = nullptr;
    const char* (*lastError_)() = nullptr;
};

/// A file name in the test's temporary folder.
inline std::string TempFile(const std::string& name)
{
    const char* dir = std::getenv("TMPDIR");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string id = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : id)
        if (c == '/') c = '_';
    return std::string(dir && *dir ? dir : "/tmp") + "/lm11-" + id + "-" + name;
}

} // namespace simtest
