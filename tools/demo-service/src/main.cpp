// quorvel-demo-service: the cloud service stand-in, for tests and for running the client on
// one machine.
#include <pthread.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "tools/demo-service/src/CommandLine.h"
#include "tools/demo-service/src/DemoSeed.h"
#include "tools/demo-service/src/DemoService.h"

int main(int argc, char** argv) {
    demo::CommandLine cl = demo::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (cl.help) {
        std::cout << demo::UsageText();
        return 0;
    }
    if (!cl.error.empty()) {
        std::cerr << cl.error << "\n" << demo::UsageText();
        return 2;
    }
    cl.options.log = [](const std::string& line) { std::cout << line << std::endl; };

    // The service's threads inherit this mask, so SIGINT and SIGTERM reach sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    demo::DemoService service(cl.options);
    std::string error;
    if (!service.start(error)) {
        std::cerr << "quorvel-demo-service: " << error << std::endl;
        return 1;
    }
    std::cout << "Quorvel demo service - for tests and demonstrations, not for production.\n"
              << "data folder: " << cl.options.dataDir << "\n"
              << (service.seededAtStart() ? "seeded a fresh database with the demo data\n" : "")
              << "Sign in with:\n"
              << demo::DescribeAccounts(service.database())
              << "Client settings: Host=127.0.0.1 Port=" << service.port()
              << ", version document http://" << service.hostPort() << "/verinfo/QuorvelVerInfo/\n"
              << "listening on " << service.hostPort() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    std::cout << "stopping" << std::endl;
    service.stop();
    return 0;
}
