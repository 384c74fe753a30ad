#include "AgentHarness.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "client/agent/DeviceLibrary.h"
#include "client/shell/Configuration.h"
#include "platform/ProfileFile.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "quorvel-agent-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string MaskGuids(const std::string& text) {
    static const std::regex guid(
        R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    return std::regex_replace(text, guid, "{G}");
}

namespace {

class RecordingNotifier : public ICallNotifier {
  public:
    RecordingNotifier(std::vector<std::string>& calls, platform::MessageLoop& loop,
                      std::function<void(platform::Message&)> onTrdMsg)
        : calls_(calls), target_(loop, std::move(onTrdMsg)) {}

    void ShowRing(const std::string& n) override { calls_.push_back("ShowRing(" + n + ")"); }
    void ShowRingCount(int n) override {
        calls_.push_back("ShowRingCount(" + std::to_string(n) + ")");
    }
    void ShowIncoming(const std::string& n) override {
        calls_.push_back("ShowIncoming(" + n + ")");
    }
    void ShowCallerInfo(const std::string& number, const std::string& area, const std::string& name,
                        const std::string& company, const std::string& corp, const std::string& web,
                        const std::string& caption, const std::string& note) override {
        calls_.push_back("ShowCallerInfo(" + number + "|" + area + "|" + name + "|" + company +
                         "|" + corp + "|" + web + "|" + caption + "|" + note + ")");
    }
    void ShowMissed() override { calls_.push_back("ShowMissed"); }
    void ShowAnswered() override { calls_.push_back("ShowAnswered"); }
    void ShowCallingOut(const std::string& n) override {
        calls_.push_back("ShowCallingOut(" + n + ")");
    }
    void ShowHungUp() override { calls_.push_back("ShowHungUp"); }
    void HideWarn() override { calls_.push_back("HideWarn"); }
    void SetEnabled(bool b) override {
        calls_.push_back(std::string("SetEnabled(") + (b ? "1" : "0") + ")");
    }
    platform::TargetHandle MessageHandle() const override { return target_.handle(); }

  private:
    std::vector<std::string>& calls_;
    platform::MessageTarget target_;
};

class RecordingCallLog : public ICallLogSink {
  public:
    explicit RecordingCallLog(std::shared_ptr<UploadRecord> r) : r_(std::move(r)) {}
    ~RecordingCallLog() override { ++r_->workersDestroyed; }
    void SubmitTalkLog(const TTalkInfo& info) override { r_->talkLogs.push_back(info); }

  private:
    std::shared_ptr<UploadRecord> r_;
};

class RecordingVocFiles : public IVocFileSink {
  public:
    explicit RecordingVocFiles(std::shared_ptr<UploadRecord> r) : r_(std::move(r)) {}
    ~RecordingVocFiles() override { ++r_->workersDestroyed; }
    void SubmitVocFile(const TVocFileInfo& info) override { r_->vocFiles.push_back(info); }

  private:
    std::shared_ptr<UploadRecord> r_;
};

}  // namespace

class AgentHarness::Notifiers : public ICallNotifierFactory {
  public:
    Notifiers(std::vector<std::string>& calls, platform::MessageLoop& loop)
        : calls_(calls), loop_(loop) {}
    std::unique_ptr<ICallNotifier> CreateNotifier(
        std::function<void(platform::Message&)> onTrdMsg) override {
        return std::make_unique<RecordingNotifier>(calls_, loop_, std::move(onTrdMsg));
    }

  private:
    std::vector<std::string>& calls_;
    platform::MessageLoop& loop_;
};

class AgentHarness::Lookups : public ICallerInfoRequester {
  public:
    explicit Lookups(std::vector<TCallerInfoRequest>& out) : out_(out) {}
    void RequestCallerInfo(const TCallerInfoRequest& r) override { out_.push_back(r); }

  private:
    std::vector<TCallerInfoRequest>& out_;
};

class AgentHarness::Workers : public IUploadWorkerFactory {
  public:
    explicit Workers(std::shared_ptr<UploadRecord> r) : r_(std::move(r)) {}
    std::unique_ptr<ICallLogSink> CreateCallLogWorker(const std::string&, int) override {
        ++r_->callLogWorkersCreated;
        return std::make_unique<RecordingCallLog>(r_);
    }
    std::unique_ptr<IVocFileSink> CreateVocFileWorker(const std::string&, int) override {
        ++r_->vocFileWorkersCreated;
        return std::make_unique<RecordingVocFiles>(r_);
    }

  private:
    std::shared_ptr<UploadRecord> r_;
};

AgentHarness::AgentHarness(const std::string& devlib)
    : box(std::make_shared<platform::RecordingMessageBox>()),
      uploads(std::make_shared<UploadRecord>()),
      log(&clock) {
    SetDataFolder(data.path() + "/");
    log.LogDir = "Log";
    log.LogName = "RodiZerad";
    SetProcessLog(&log);
    platform::SetMessageBoxPort(box);

    fs::copy_file(fs::path(AGENT_TEST_FIXTURES) / "DialRule.xml",
                  fs::path(program.path()) / "DialRule.xml");
    if (!devlib.empty()) {
        fs::copy_file(fs::path(AGENT_TEST_DEVLIBS) / devlib / VD_LIBRARY_FILE_NAME,
                      fs::path(program.path()) / VD_LIBRARY_FILE_NAME);
    }

    notifiers_ = std::make_unique<Notifiers>(windowCalls_, loop);
    lookups_ = std::make_unique<Lookups>(lookups);
    workers_ = std::make_unique<Workers>(uploads);

    TAgentPorts ports;
    ports.clock = &clock;
    ports.createTimer = [this] {
        auto t = std::make_unique<platform::ManualTimer>();
        timer = t.get();
        return t;
    };
    ports.notifiers = notifiers_.get();
    ports.callerInfo = lookups_.get();
    ports.uploadWorkers = workers_.get();
    ports.programFolder = program.path() + "/";
    agent = std::make_unique<TRodiZerad>(std::move(ports));
    agent->OnDevEvent = [this](int e, int i, const std::string& s) {
        events_.push_back(MaskGuids(std::to_string(e) + "," + std::to_string(i) + "," + s));
    };
}

AgentHarness::~AgentHarness() {
    agent.reset();
    SetProcessLog(nullptr);
    platform::SetMessageBoxPort(nullptr);
}

void AgentHarness::Setting(const std::string& key, const std::string& value) {
    platform::WriteProfileString(ConfigFilePath(), kSectionBizAgent, key, value);
}

void AgentHarness::WriteRules(const std::string& xml) {
    std::ofstream(program.path() + "/DialRule.xml", std::ios::binary | std::ios::trunc) << xml;
}

void AgentHarness::Init() {
    agent->InitAgent();
    initialised_ = true;
}

void AgentHarness::SignIn() {
    if (!initialised_)
        Init();
    agent->AgentID = 1001;
    agent->UserName = "张三";
    agent->UserAccount = "zhangsan";
    agent->UserFullCode = "01_0105";
    agent->EnterpriseName = "演示企业";
    agent->SignedIn();
}

void* AgentHarness::DevSymbol(const char* name) const {
    void* handle = device_library::Handle();
    return handle ? dlsym(handle, name) : nullptr;
}

int AgentHarness::DevCount(const char* name) const {
    auto f = reinterpret_cast<int32_t (*)()>(DevSymbol(name));
    return f ? f() : -1;
}

void AgentHarness::Fire(int event, int param, const std::string& text) {
    auto fire =
        reinterpret_cast<void (*)(int32_t, int32_t, const char*)>(DevSymbol("TestDev_Fire"));
    if (!fire)
        throw std::runtime_error("no test device library loaded");
    fire(event, param, text.c_str());
}

void AgentHarness::Advance(int ms) {
    for (int done = 0; done < ms; done += 100) {
        clock.advance(std::min(100, ms - done));
        if (timer)
            timer->tick();
    }
}

std::vector<std::string> AgentHarness::TakeEvents() {
    return std::exchange(events_, {});
}
std::vector<std::string> AgentHarness::TakeWindowCalls() {
    return std::exchange(windowCalls_, {});
}

std::string AgentHarness::LogText() const {
    std::string all;
    const fs::path folder = fs::path(data.path()) / "Log";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        all += ss.str();
    }
    return all;
}
