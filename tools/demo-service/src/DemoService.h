// The demo service: an HTTP server on loopback that plays the cloud service for the client
// and for tests. Start it in-process on port 0 for an ephemeral port.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/demo-service/src/DemoDatabase.h"
#include "tools/demo-service/src/FaultInjector.h"
#include "tools/demo-service/src/RequestJournal.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace demo {

class AdminApi;
class RecordingStore;

struct DemoServiceOptions {
    std::string bindAddress = "127.0.0.1";
    int port = 8081;      // 0: any free port
    std::string dataDir;  // recordings, and the database unless dbPath is set
    std::string dbPath;   // empty: dataDir + "/demo-service.db"; ":memory:" for none on disk
    std::size_t maxUploadBytes = 32u << 20;
    int threads = 16;
    int readTimeoutSeconds = 5;
    // Settings stored at start, such as the offered versions.
    std::vector<std::pair<std::string, std::string>> settings;
    // Receives one line per request; none when empty.
    std::function<void(const std::string&)> log;
};

class DemoService {
  public:
    explicit DemoService(DemoServiceOptions options);
    ~DemoService();
    DemoService(const DemoService&) = delete;
    DemoService& operator=(const DemoService&) = delete;

    // Opens the database (seeding a fresh one), binds and serves on a thread of its own.
    // Returns false with the error text set.
    bool start(std::string& error);
    void stop();

    int port() const { return port_; }
    std::string hostPort() const;  // "127.0.0.1:PORT"
    std::string baseUrl() const;   // "http://127.0.0.1:PORT"
    bool seededAtStart() const { return seeded_; }

    DemoDatabase& database() { return *db_; }
    FaultInjector& faults() { return faults_; }
    RequestJournal& journal() { return journal_; }

  private:
    void route(const httplib::Request& req, httplib::Response& res);
    bool applyFault(const httplib::Request& req, httplib::Response& res);
    void serve(const httplib::Request& req, httplib::Response& res);
    long long recordRequest(const httplib::Request& req, int status);
    void logRequest(const httplib::Request& req, const httplib::Response& res);
    // Waits, unless the service stops first.
    void sleepFor(int ms);

    DemoServiceOptions options_;
    std::unique_ptr<DemoDatabase> db_;
    std::unique_ptr<RecordingStore> recordings_;
    FaultInjector faults_;
    RequestJournal journal_;
    std::unique_ptr<AdminApi> admin_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> listenEnded_{false};
    int port_ = 0;
    bool seeded_ = false;

    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
    std::mutex logMutex_;
};

}  // namespace demo
