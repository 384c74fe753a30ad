// A TRodiZerad with recording collaborators, a fake clock, a manual timer,
// temporary data and program folders, and a test device library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "client/agent/TRodiZerad.h"
#include "client/shell/TxtLog.h"
#include "platform/Clock.h"
#include "platform/ManualMessageLoop.h"
#include "platform/MessageBox.h"
#include "platform/PeriodicTimer.h"

// A folder under the temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }  // no trailing separator

  private:
    std::string path_;
};

// What the upload workers were given; outlives the workers.
struct UploadRecord {
    std::vector<TTalkInfo> talkLogs;
    std::vector<TVocFileInfo> vocFiles;
    int callLogWorkersCreated = 0;
    int vocFileWorkersCreated = 0;
    int workersDestroyed = 0;
};

class AgentHarness {
  public:
    // devlib: "" for a program folder without a device library, or the name of
    // a test library variant ("noopen", "nochannel", "working").
    explicit AgentHarness(const std::string& devlib = "working");
    ~AgentHarness();

    void Setting(const std::string& key, const std::string& value);
    void WriteRules(const std::string& xml);  // replaces the fixture DialRule.xml
    void Init();                              // InitAgent
    // Signs in as agent 1001 (Init first if needed) and runs the device steps.
    void SignIn();

    // Fires a device event through the test library's stored callback.
    void Fire(int event, int param = 0, const std::string& text = std::string());
    // Moves the fake clock on in 100 ms steps, ticking the state timer.
    void Advance(int ms);
    // Runs the messages posted to the notification window.
    void RunMessages() { loop.processPending(); }

    // Events since the last call as "MyEvt,iParam,sParam", GUIDs as {G}.
    std::vector<std::string> TakeEvents();
    std::vector<std::string> TakeWindowCalls();
    std::string LogText() const;
    // A function exported by the loaded test library, or null.
    void* DevSymbol(const char* name) const;
    int DevCount(const char* name) const;

    TempFolder data;
    TempFolder program;
    platform::FakeClock clock;
    platform::ManualMessageLoop loop;
    platform::ManualTimer* timer = nullptr;
    std::shared_ptr<platform::RecordingMessageBox> box;
    std::shared_ptr<UploadRecord> uploads;
    std::vector<TCallerInfoRequest> lookups;
    TTxtLog log;
    std::unique_ptr<TRodiZerad> agent;

  private:
    class Notifiers;
    class Lookups;
    class Workers;
    std::unique_ptr<Notifiers> notifiers_;
    std::unique_ptr<Lookups> lookups_;
    std::unique_ptr<Workers> workers_;
    std::vector<std::string> events_;
    std::vector<std::string> windowCalls_;
    bool initialised_ = false;
};

// Replaces every GUID in braces with {G}.
std::string MaskGuids(const std::string& text);
