// The child of the crash test: loads both upload queues, submits numbered call
// records and recordings and uploads them to the test's server, and reports
// each number on standard output once its submits have returned. It is
// killed at random moments; now and then it ends in order by itself.
//
// Usage: service_queue_crash_child <data folder> <port> <first number> <run ms>
// A first number of 0 only drains the queues and ends in order.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "client/service/TTrdUploadTalkLog.h"
#include "client/service/TTrdUploadVocFile.h"
#include "client/shell/Configuration.h"
#include "tests/support/TempDir.h"

namespace {

void Report(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(1, text.data(), text.size()) < 0)
        std::_Exit(3);
}

TTalkInfo Record(long long n) {
    TTalkInfo t;
    t.UserID = 8001;
    t.CallerID = std::to_string(n);
    t.TalkType = 1;
    t.tmStart = {2024, 3, 15, 9, 30, 12, 0};
    t.tmEnd = t.tmStart;
    t.guidVocID = "{" + t.CallerID + "}";
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5)
        return 2;
    const std::string folder = argv[1];
    const int port = std::atoi(argv[2]);
    const long long first = std::atoll(argv[3]);
    const int runMs = std::atoi(argv[4]);
    SetDataFolder(folder);
    std::filesystem::create_directories(folder + "VocFile");

    TUploadWorkerOptions options;
    options.host = "127.0.0.1";
    options.port = port;
    options.timeouts = {1000, 1000};
    options.idlePollMs = 5;
    options.retryDelayMs = 5;
    auto talk = std::make_unique<TTrdUploadTalkLog>(options);
    auto voc = std::make_unique<TTrdUploadVocFile>(options);

    const auto start = std::chrono::steady_clock::now();
    auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    };
    if (first == 0) {
        while ((talk->QueueLength() > 0 || voc->QueueLength() > 0) && elapsedMs() < 20000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    } else {
        std::mt19937 random(static_cast<unsigned>(first));
        for (long long n = first; elapsedMs() < runMs; ++n) {
            TTalkInfo record = Record(n);
            const std::string file = folder + "VocFile/" + record.CallerID + ".mp3";
            testsupport::WriteFile(file, record.CallerID);
            talk->SubmitTalkLog(record);
            voc->SubmitVocFile({record.UserID, record.guidVocID, file});
            Report(record.CallerID);
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        }
    }
    talk.reset();
    voc.reset();
    Report("end");
    return 0;
}
