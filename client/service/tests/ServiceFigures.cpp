// Figures of the upload workers: submit latency with 10,000 records queued,
// time to drain 1,000 queued call logs to a loopback server, and the peak
// memory while a 50 MB recording is uploaded.
//
// Usage: service_figures [data folder parent [sync]]   (default: the temp folder)
// With a second argument it also measures submits that flush the device themselves.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "client/service/TTrdUploadTalkLog.h"
#include "client/service/TTrdUploadVocFile.h"
#include "client/service/tests/LoopbackHttpServer.h"
#include "client/service/tests/UploadTestSupport.h"
#include "client/shell/Configuration.h"
#include "tests/support/TempDir.h"

using namespace servicetest;
using Clock = std::chrono::steady_clock;

namespace {

long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool WaitUntilEmpty(const std::function<std::size_t()>& length, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (length() > 0) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void SubmitLatency(const std::string& folder, bool syncEachSubmit) {
    TLoopbackHttpServer closed;
    const int port = closed.port();
    closed.stop();
    TUploadWorkerOptions options = FastOptions(port);
    options.dataFolder = folder;
    options.retryDelayMs = 100;
    options.syncEachSubmit = syncEachSubmit;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    TTrdUploadTalkLog worker(options);
    for (int i = 0; i < 10000; ++i)
        worker.SubmitTalkLog(MakeTalk(i));
    std::vector<double> samples;
    for (int i = 0; i < 2000; ++i) {
        const auto t0 = Clock::now();
        worker.SubmitTalkLog(MakeTalk(10000 + i));
        samples.push_back(Ms(Clock::now() - t0));
    }
    std::sort(samples.begin(), samples.end());
    std::printf("submit latency with %zu queued (%s): median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                worker.QueueLength() - samples.size(),
                syncEachSubmit ? "device flush in each submit" : "flusher thread syncs",
                samples[samples.size() / 2], samples[samples.size() * 99 / 100], samples.back());
    const auto t0 = Clock::now();
    {
        TTrdUploadTalkLog restart(options);  // loads the journal of 12,000 records
        std::printf("start-up with %zu queued (journal replay and rewrite): %.1f ms\n",
                    restart.QueueLength(), Ms(Clock::now() - t0));
    }
}

void DrainTime(const std::string& folder) {
    TLoopbackHttpServer server;
    TLoopbackHttpServer closed;
    const int port = closed.port();
    closed.stop();
    TUploadWorkerOptions options;
    options.host = "127.0.0.1";
    options.port = port;
    options.dataFolder = folder;
    {
        TTrdUploadTalkLog offline(options);  // queue 1,000 while the service is away
        for (int i = 0; i < 1000; ++i)
            offline.SubmitTalkLog(MakeTalk(i));
    }
    TLoopbackHttpServer back(port);
    const auto t0 = Clock::now();
    TTrdUploadTalkLog worker(options);
    const bool drained = WaitUntilEmpty([&] { return worker.QueueLength(); }, 120000);
    std::printf("drain 1,000 queued call logs to a loopback server: %.0f ms%s (%zu requests)\n",
                Ms(Clock::now() - t0), drained ? "" : " (NOT drained)", back.requestCount());
}

void UploadPeakMemory(const std::string& folder) {
    const std::string file = folder + "big.mp3";
    {
        std::ofstream out(file, std::ios::binary);
        std::string block(1 << 20, 'm');
        for (int i = 0; i < 50; ++i)
            out << block;
    }
    TLoopbackHttpServer server;
    server.setKeepBodies(false);
    TUploadWorkerOptions options;
    options.host = "127.0.0.1";
    options.port = server.port();
    options.dataFolder = folder;
    IniWriteInteger(kSectionBizAgent, "DelLocVocFile", 0);
    TTrdUploadVocFile worker(options);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ResetPeakRss();
    const long before = PeakRssKb();
    const auto t0 = Clock::now();
    worker.SubmitVocFile({8001, "{big}", file});
    WaitUntilEmpty([&] { return worker.QueueLength(); }, 120000);
    const double took = Ms(Clock::now() - t0);
    const long peak = PeakRssKb();
    const auto requests = server.requests();
    std::printf(
        "upload of a 50 MB recording: %.0f ms, %llu body bytes received; peak RSS %ld KB "
        "before, %ld KB during (+%ld KB)\n",
        took, requests.empty() ? 0ull : (unsigned long long)requests[0].bodySize, before, peak,
        peak - before);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string parent = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    auto folderIn = [&](const char* name) {
        const std::string f = parent + "/service-figures-" + name + "/";
        std::filesystem::remove_all(f);
        std::filesystem::create_directories(f);
        return f;
    };
    const std::string a = folderIn("submit"), b = folderIn("drain"), c = folderIn("upload");
    SetDataFolder(c);
    std::printf("data folders under %s\n", parent.c_str());
    UploadPeakMemory(c);
    SubmitLatency(a, false);
    DrainTime(b);
    if (argc > 2)
        SubmitLatency(a, true);
    for (const auto& f : {a, b, c})
        std::filesystem::remove_all(f);
    return 0;
}
