#include "tools/demo-service/src/DemoService.h"

#include <httplib.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "client/service/ApiSignature.h"
#include "platform/Clock.h"
#include "platform/Text.h"
#include "tools/demo-service/src/AdminApi.h"
#include "tools/demo-service/src/ApiMessages.h"
#include "tools/demo-service/src/ConnectionDrop.h"
#include "tools/demo-service/src/DemoSeed.h"
#include "tools/demo-service/src/JsonText.h"
#include "tools/demo-service/src/RecordingStore.h"
#include "tools/demo-service/src/ServiceAddress.h"
#include "tools/demo-service/src/UploadPage.h"
#include "tools/demo-service/src/VersionDocument.h"
#include "tools/demo-service/src/WebPages.h"

namespace demo {

namespace {

constexpr char kSeqHeader[] = "X-Request-Seq";
constexpr char kDroppedHeader[] = "X-Demo-Dropped";
// Where the real Content-Type of a multipart request is kept while the library reads the
// body as plain bytes (see the pre-routing handler).
constexpr char kMultipartTypeHeader[] = "X-Demo-Multipart-Content-Type";

constexpr char kJsonType[] = "application/json; charset=utf-8";

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string Now() {
    return platform::FormatDateTime("yyyy-MM-dd HH:mm:ss.zzz", platform::SystemClock().now());
}

// Headers the library adds to a request itself; they were not sent by the peer.
bool IsLibraryHeader(const std::string& name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
           name == "LOCAL_PORT";
}

std::string RequestContentType(const httplib::Request& req) {
    return req.has_header(kMultipartTypeHeader) ? req.get_header_value(kMultipartTypeHeader)
                                                : req.get_header_value("Content-Type");
}

std::string MakeTempDataDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-demo-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return {};
    return pattern;
}

}  // namespace

DemoService::DemoService(DemoServiceOptions options) : options_(std::move(options)) {}

DemoService::~DemoService() {
    stop();
}

std::string DemoService::hostPort() const {
    return HostPort(options_.bindAddress, port_);
}
std::string DemoService::baseUrl() const {
    return "http://" + hostPort();
}

bool DemoService::start(std::string& error) {
    if (server_) {
        error = "already started";
        return false;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a peer that goes away must not end the process
    if (options_.dataDir.empty()) {
        options_.dataDir = MakeTempDataDir();
        if (options_.dataDir.empty()) {
            error = "cannot create a temporary data folder";
            return false;
        }
        if (options_.dbPath.empty())
            options_.dbPath = ":memory:";
    }
    std::error_code ec;
    std::filesystem::create_directories(options_.dataDir, ec);
    if (ec) {
        error = "cannot create the data folder " + options_.dataDir + ": " + ec.message();
        return false;
    }
    const std::string dbPath =
        options_.dbPath.empty() ? options_.dataDir + "/demo-service.db" : options_.dbPath;
    db_ = DemoDatabase::Open(dbPath, error);
    if (!db_)
        return false;
    try {
        seeded_ = SeedIfEmpty(*db_);
        for (const auto& [key, value] : options_.settings) {
            const std::string problem = CheckSetting(key, value);
            if (!problem.empty()) {
                error = "setting " + key + ": " + problem;
                return false;
            }
            db_->setSetting(key, value);
        }
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    recordings_ = std::make_unique<RecordingStore>(options_.dataDir + "/recordings");
    admin_ = std::make_unique<AdminApi>(*db_, faults_, journal_);

    server_ = std::make_unique<httplib::Server>();
    const int threads = options_.threads > 0 ? options_.threads : 16;
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server_->set_payload_max_length(options_.maxUploadBytes);
    server_->set_read_timeout(options_.readTimeoutSeconds, 0);
    server_->set_keep_alive_timeout(2);
    server_->set_keep_alive_max_count(1000);
    // Headers and body go out in separate writes; without this each answer waits for the
    // peer's delayed acknowledgement.
    server_->set_tcp_nodelay(true);
    server_->set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
        // The library refuses a multipart body without a boundary parameter before any handler
        // sees it, and the client sends exactly that. The request object is the library's own
        // non-const one, so relabelling it here is sound: the body is then read as plain bytes
        // and split by our own parser, which handles both forms.
        const std::string type = req.get_header_value("Content-Type");
        if (StartsWith(type, "multipart/form-data")) {
            auto& mutableReq = const_cast<httplib::Request&>(req);
            mutableReq.headers.erase("Content-Type");
            mutableReq.headers.emplace("Content-Type", "application/octet-stream");
            mutableReq.headers.emplace(kMultipartTypeHeader, type);
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    auto handler = [this](const httplib::Request& req, httplib::Response& res) { route(req, res); };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    server_->Put(".*", handler);
    server_->Delete(".*", handler);
    server_->set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
            std::string what = "unknown error";
            try {
                if (ep)
                    std::rethrow_exception(ep);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            res.status = 500;
            res.set_content(StateAnswer(kStateServerError, what), kJsonType);
        });
    server_->set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        logRequest(req, res);
    });

    if (options_.port == 0) {
        port_ = server_->bind_to_any_port(options_.bindAddress);
        if (port_ <= 0) {
            error = "cannot bind to " + options_.bindAddress;
            server_.reset();
            return false;
        }
    } else {
        if (!server_->bind_to_port(options_.bindAddress, options_.port)) {
            error = "cannot bind to " + HostPort(options_.bindAddress, options_.port);
            server_.reset();
            return false;
        }
        port_ = options_.port;
    }
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = false;
    }
    // The socket already listens, so connections made before the loop runs are queued.
    listenEnded_ = false;
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        listenEnded_ = true;
    });
    // stop() only ends a loop that has begun, so wait for it.
    while (!server_->is_running() && !listenEnded_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (listenEnded_) {
        thread_.join();
        server_.reset();
        error = "the server loop ended at once";
        return false;
    }
    return true;
}

void DemoService::stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    if (server_)
        server_->stop();
    if (thread_.joinable())
        thread_.join();
    server_.reset();
}

void DemoService::sleepFor(int ms) {
    std::unique_lock lock(stopMutex_);
    stopSignal_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

long long DemoService::recordRequest(const httplib::Request& req, int status) {
    JournalEntry e;
    e.time = Now();
    e.remote = HostPort(req.remote_addr, req.remote_port);
    e.method = req.method;
    e.target = req.target;
    e.path = req.path;
    for (const auto& [name, value] : req.headers) {
        if (IsLibraryHeader(name) || name == kMultipartTypeHeader)
            continue;
        e.headers.emplace_back(name, name == "Content-Type" ? RequestContentType(req) : value);
    }
    e.bodySize = req.body.size();
    e.bodyMd5 = Md5Hex(req.body);
    e.status = status;
    return journal_.record(std::move(e));
}

void DemoService::logRequest(const httplib::Request& req, const httplib::Response& res) {
    const bool admin = StartsWith(req.path, kAdminPrefix);
    if (res.has_header(kDroppedHeader)) {
        // Journaled with status 0: nothing was answered.
    } else if (res.has_header(kSeqHeader)) {
        journal_.setStatus(platform::ParseInt64(res.get_header_value(kSeqHeader)).value_or(0),
                           res.status);
    } else if (!admin) {
        // Refused by the library before routing (malformed, too long, too large).
        recordRequest(req, res.status);
    }
    if (!options_.log)
        return;
    std::string target = req.target.size() > 300 ? req.target.substr(0, 300) + "..." : req.target;
    const std::string line = "[" + Now() + "] " + HostPort(req.remote_addr, req.remote_port) + " " +
                             (req.method.empty() ? "-" : req.method) + " " +
                             platform::SanitizeUtf8(target) + " -> " + std::to_string(res.status) +
                             " (" + std::to_string(res.body.size()) + " bytes)";
    std::lock_guard lock(logMutex_);
    options_.log(line);
}

void DemoService::route(const httplib::Request& req, httplib::Response& res) {
    if (StartsWith(req.path, kAdminPrefix)) {
        if (!IsLoopbackAddress(req.remote_addr)) {
            res.status = 403;
            res.set_content(DumpJson(Json{{"error", "the admin API answers loopback peers only"}}),
                            kJsonType);
            return;
        }
        const AdminAnswer answer = admin_->handle(req.method, req.path, req.target, req.body);
        res.status = answer.status;
        res.set_content(answer.body, kJsonType);
        return;
    }
    const long long seq = recordRequest(req, 0);
    res.set_header(kSeqHeader, std::to_string(seq));
    if (applyFault(req, res))
        return;
    serve(req, res);
}

bool DemoService::applyFault(const httplib::Request& req, httplib::Response& res) {
    const auto fault = faults_.take(req.path, req.target);
    if (!fault)
        return false;
    if (fault->delayMs > 0)
        sleepFor(fault->delayMs);
    switch (fault->mode) {
        case FaultMode::kDelay:
            return false;
        case FaultMode::kStatus:
            res.status = fault->status;
            res.set_content(DumpJson(Json{{"fault", fault->id}, {"status", fault->status}}),
                            kJsonType);
            return true;
        case FaultMode::kDrop:
            DropConnection(req.remote_addr, req.remote_port, req.local_port);
            res.status = 500;  // never reaches the peer
            res.set_header(kDroppedHeader, "1");
            return true;
    }
    return false;
}

void DemoService::serve(const httplib::Request& req, httplib::Response& res) {
    const std::string self = HostPort(req.local_addr, req.local_port);
    const bool getOrPost = req.method == "GET" || req.method == "HEAD" || req.method == "POST";
    if (req.path == kApiPath && getOrPost) {
        res.set_content(AnswerApiRequest(*db_, self, req.target), kJsonType);
        return;
    }
    if (req.path == kAppLoginPath && getOrPost) {
        res.set_content(AnswerAppLoginRequest(*db_, req.target), kJsonType);
        return;
    }
    if (req.path == kUploadPath) {
        if (req.method != "POST") {
            res.status = 405;
            res.set_content(StateAnswer(kStateBadRequest, "the upload page takes POST"), kJsonType);
            return;
        }
        const PageAnswer answer = HandleRecordingUpload(*db_, *recordings_, req.target,
                                                        RequestContentType(req), req.body);
        res.status = answer.status;
        res.set_content(answer.body, kJsonType);
        return;
    }
    const std::string_view versionPath(kVersionPath);
    if ((req.path == versionPath || req.path == versionPath.substr(0, versionPath.size() - 1)) &&
        getOrPost) {
        res.set_content(BuildVersionDocument(*db_, req.local_addr, req.local_port), kJsonType);
        return;
    }
    if (req.method == "GET" || req.method == "HEAD") {
        if (auto page = ServeWebRequest(*db_, req.path, req.target)) {
            res.status = page->status;
            res.set_content(std::move(page->body), page->contentType);
            return;
        }
    }
    res.status = 404;
    res.set_content(StateAnswer(kStateUnknownMessage, "nothing at " + req.path), kJsonType);
}

}  // namespace demo
