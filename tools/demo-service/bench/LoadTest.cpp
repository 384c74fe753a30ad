// Load test of the demo service: M=1001 requests over loopback from several keep-alive
// connections, bounded in count and in time. Prints the requests per second.
//
//   quorvel-demo-loadtest [--requests 20000] [--connections 4] [--seconds 30] [--port P]
//
// Without --port it starts the service in-process on an ephemeral port, with its request
// log written to /dev/null.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "client/service/ApiSignature.h"
#include "platform/Text.h"
#include "tools/demo-service/src/DemoService.h"

namespace {

struct Settings {
    int requests = 20000;
    int connections = 4;
    int seconds = 30;
    int port = 0;
};

bool ParseArgs(int argc, char** argv, Settings& s) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const int value = platform::StrToIntDef(argv[i + 1], -1);
        if (value < 0)
            return false;
        if (arg == "--requests") {
            s.requests = value;
        } else if (arg == "--connections") {
            s.connections = value > 0 ? value : 1;
        } else if (arg == "--seconds") {
            s.seconds = value;
        } else if (arg == "--port") {
            s.port = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseArgs(argc, argv, settings)) {
        std::cerr << "usage: quorvel-demo-loadtest [--requests N] [--connections C] [--seconds S] "
                     "[--port P]\n";
        return 2;
    }

    std::ofstream devNull("/dev/null");
    std::unique_ptr<demo::DemoService> service;
    int port = settings.port;
    if (port == 0) {
        demo::DemoServiceOptions options;
        options.port = 0;
        options.dbPath = ":memory:";
        options.log = [&devNull](const std::string& line) { devNull << line << '\n'; };
        service = std::make_unique<demo::DemoService>(options);
        std::string error;
        if (!service->start(error)) {
            std::cerr << "cannot start the service: " << error << "\n";
            return 1;
        }
        port = service->port();
    }

    const std::string signedText = "M=1001&AgentID=8001";
    const std::string target = "/api.aspx?KEY=" + Md5Hex(signedText) + "&" + signedText +
                               "&TeleNumber=13800138000&Guid=load-test";
    std::atomic<int> next{0}, ok{0}, failed{0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(settings.seconds);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int c = 0; c < settings.connections; ++c) {
        workers.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            client.set_read_timeout(5, 0);
            while (next.fetch_add(1) < settings.requests &&
                   std::chrono::steady_clock::now() < deadline) {
                auto res = client.Post(target.c_str());
                if (res && res->status == 200 &&
                    res->body.find("\"State\":1000") != std::string::npos)
                    ++ok;
                else
                    ++failed;
            }
        });
    }
    for (auto& w : workers)
        w.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "M=1001 requests: " << ok << " answered, " << failed << " failed, over "
              << settings.connections << " connections in " << seconds
              << " s: " << static_cast<long long>(ok / seconds) << " requests/s" << std::endl;
    return failed == 0 ? 0 : 1;
}
