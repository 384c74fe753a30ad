#include "AgentCommand.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>

#include "AgentLineProtocol.h"
#include "HeadlessNotifier.h"
#include "SignInOptions.h"
#include "StdinLineReader.h"
#include "client/agent/TRodiZerad.h"
#include "client/service/CallerInfoRequester.h"
#include "client/service/UploadWorkerFactory.h"
#include "client/service/WorkerLog.h"
#include "client/service/WorkerShared.h"
#include "client/shell/Configuration.h"
#include "client/shell/TxtLog.h"
#include "platform/Paths.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtPeriodicTimer.h"

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &c, 1);
    errno = saved;
}

struct AgentOptions {
    std::string programDir;
    std::string dataDir;
    bool verbose = false;
    TSignInOptions signIn;
};

bool ParseOptions(int argc, char** argv, AgentOptions& o) {
    std::vector<std::string> signInArgs;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--program-dir" || a == "--data-dir") && i + 1 < argc) {
            std::string value = argv[++i];
            if (!value.empty() && value.back() != platform::kPathSeparator) {
                value += platform::kPathSeparator;
            }
            (a == "--program-dir" ? o.programDir : o.dataDir) = value;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (IsSignInOption(a) && i + 1 < argc) {
            signInArgs.push_back(a);
            signInArgs.push_back(argv[++i]);
        } else {
            std::cerr << "quorvel-cli agent: unknown or incomplete option " << a << "\n";
            return false;
        }
    }
    std::string error;
    if (!ParseSignInOptions(signInArgs, o.signIn, error)) {
        std::cerr << "quorvel-cli agent: " << error << "\n";
        return false;
    }
    return true;
}

// The data folder of the installation unless one is given; false when there is none.
bool SettleDataFolder(const AgentOptions& o) {
    if (o.dataDir.empty())
        return InitDataFolder("Quorvel");
    if (!platform::FolderExists(o.dataDir))
        return false;
    SetDataFolder(o.dataDir);
    return true;
}

void PrintEvent(int evt, int i, const std::string& s) {
    const std::string line = FormatEventLine(evt, i, s) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int RunAgentCommand(int argc, char** argv) {
    AgentOptions options;
    if (!ParseOptions(argc, argv, options))
        return 2;

    // No display: Qt runs without one.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    const bool haveDataFolder = SettleDataFolder(options);
    if (!haveDataFolder) {
        std::cerr << "quorvel-cli agent: no data folder; running without a log\n";
    }
    TTxtLog log;
    log.LogDir = "Log";
    log.LogName = "quorvel-cli";
    if (haveDataFolder)
        SetProcessLog(&log);

    // SIGTERM and SIGINT end the event loop through a self-pipe.
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::cerr << "quorvel-cli agent: pipe2 failed\n";
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&app] {
        char buf[16];
        while (read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        app.quit();
    });

    platform::QtMessageLoop loop;
    HeadlessNotifierFactory notifiers(loop);
    TCallerInfoRequester callerInfo;
    TUploadWorkerFactory uploadWorkers;
    TAgentPorts ports;
    ports.createTimer = [] { return std::make_unique<platform::QtPeriodicTimer>(); };
    ports.notifiers = &notifiers;
    ports.programFolder = options.programDir;
    const bool signIn = options.signIn.requested;
    if (signIn) {
        ports.callerInfo = &callerInfo;
        ports.uploadWorkers = &uploadWorkers;
    }
    auto agent = std::make_unique<TRodiZerad>(std::move(ports));
    int status = 0;
    bool answered = false;    // the sign-in's first answer arrived
    bool endOfInput = false;  // input ended while the sign-in was open
    agent->OnDevEvent = [&](int evt, int i, const std::string& s) {
        PrintEvent(evt, i, s);
        if (evt == kEvtSignIn && !answered) {
            answered = true;
            if (i != TRodiZerad::kLoginSignedIn) {
                std::cerr << "quorvel-cli agent: sign-in refused, State " << i << "\n";
                status = 1;
                app.quit();
            } else if (endOfInput) {
                app.quit();
            }
        }
    };
    if (options.verbose) {
        agent->OnWorkerLogLine = [](const std::string& line) { std::cerr << line << "\n"; };
    }

    // Lines from standard input reach the agent on this (the user-interface) thread.
    platform::MessageTarget input(loop, [&](platform::Message& m) {
        if (m.number == StdinLineReader::kMsgEndOfInput) {
            // The sign-in's outcome decides the exit status, so it is awaited.
            if (signIn && !answered)
                endOfInput = true;
            else
                app.quit();
            return;
        }
        int kind = 0;
        std::string text, error;
        if (m.wParam != 0) {
            std::cerr << "quorvel-cli agent: line longer than " << StdinLineReader::kMaxLineLength
                      << " bytes ignored\n";
        } else if (ParseSimCommand(m.text(), kind, text, error)) {
            agent->SimulateEvent(kind, text);
        } else if (!m.text().empty()) {
            std::cerr << "quorvel-cli agent: line ignored: " << error << "\n";
        }
    });

    agent->InitAgent();
    // A sign-in that gets no answer: its worker ended without posting one.
    // The verdict is queued behind whatever the worker posted before it ended.
    QTimer unanswered;
    if (signIn) {
        const TSignInOptions& o = options.signIn;
        agent->Host = o.host;
        agent->Port = o.port;
        const int started =
            agent->SetLoginEx(o.appId, o.agentId, o.account, o.organization, o.name, o.password);
        if (started != 1) {
            std::cerr << "quorvel-cli agent: the sign-in did not start (" << started << ")\n";
            status = 1;
        }
        QObject::connect(&unanswered, &QTimer::timeout, &app, [&] {
            if (answered || RunningOneShotWorkers() > 0)
                return;
            unanswered.stop();
            loop.enqueue([&] {
                if (answered)
                    return;
                std::cerr << "quorvel-cli agent: the sign-in got no answer\n";
                status = 1;
                app.quit();
            });
        });
        unanswered.start(50);
    } else {
        agent->StartLineService();  // as the sign-in does, without signing in
    }
    if (status == 0) {
        StdinLineReader reader(STDIN_FILENO, input.handle());
        const int loopStatus = app.exec();
        if (status == 0)
            status = loopStatus;
    }
    unanswered.stop();
    SetClosing();
    agent->CloseAgent();
    agent.reset();
    WaitForOneShotWorkers(15000);
    DetachWorkerLog();
    SetProcessLog(nullptr);
    std::fflush(stdout);
    close(g_signalPipe[0]);
    close(g_signalPipe[1]);
    return status;
}
