// What the demo service keeps: enterprises, applications and menus, users, the phone book,
// call logs, recordings and settings, in one SQLite database. Thread-safe; a failing SQLite
// call throws std::runtime_error.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace demo {

struct Enterprise {
    std::string account;       // what the agent types as the enterprise account
    std::string enterpriseId;  // the EnterpriseID of the answers
    std::string name;
    std::string nickName;
};

struct Application {
    int appId = 0;
    std::string enterpriseId;
    std::string name;
};

struct SubMenu {
    std::string name;
    std::string url;  // a path on this service ("/...") or a full address
};

struct Menu {
    std::string name;
    std::vector<SubMenu> subMenus;
};

struct User {
    int agentId = 0;
    std::string enterpriseId;
    std::string account;
    std::string password;
    std::string userName;
    std::string organization;
    int verificationMode = 1;
};

struct PhoneBookEntry {
    std::string teleNumber;
    std::string province, city, clientName, companyName, corp, urlHost, urlCaption, note;
};

struct CallLog {
    long long id = 0;
    std::string receivedAt;
    int agentId = 0;
    std::string guid, userAccount, userName, userFullCode, teleNumber;
    int talkType = 0;
    std::string startTime, stopTime, busId, enterpriseName, voiceUri, vocId;
    std::string companyName, clientName, corp, province, city;
};

struct Recording {
    std::string vocId;
    std::string buid;
    std::string fileName;    // the file name the client sent, as sent
    std::string storedPath;  // where the service keeps the file
    long long size = 0;
    std::string md5;
    std::string uploadedAt;
};

class DemoDatabase {
  public:
    // Opens or creates the database (":memory:" for one that lives with the object).
    static std::unique_ptr<DemoDatabase> Open(const std::string& path, std::string& error);
    ~DemoDatabase();
    DemoDatabase(const DemoDatabase&) = delete;
    DemoDatabase& operator=(const DemoDatabase&) = delete;

    bool hasEnterprises();

    void addEnterprise(const Enterprise& e);
    void addApplication(const Application& a);
    void addMenu(int appId, int position, const Menu& menu);
    void addUser(const User& u);
    void addPhoneBookEntry(const PhoneBookEntry& p);

    std::vector<Enterprise> enterprises();
    std::optional<Enterprise> findEnterpriseByAccount(const std::string& account);
    std::optional<Enterprise> findEnterpriseById(const std::string& enterpriseId);
    std::vector<Application> applicationsOf(const std::string& enterpriseId);
    std::optional<Application> findApplication(int appId);
    std::vector<Menu> menusOf(int appId);

    std::vector<User> users();
    std::optional<User> findUser(const std::string& enterpriseId, const std::string& account);
    std::optional<User> findUserByAgentId(int agentId);

    std::optional<PhoneBookEntry> findPhoneBookEntry(const std::string& teleNumber);
    std::vector<PhoneBookEntry> phoneBook();

    void addSession(const std::string& guid, int agentId, int appId);

    // Stores a call log; a log with the VocID of a stored one replaces it (a resent record).
    void storeCallLog(const CallLog& log);
    // Newest first. agentId 0 means every agent.
    std::vector<CallLog> callLogs(int agentId = 0, bool missedOnly = false);

    // Stores a recording; one with the VocID of a stored one replaces it.
    void storeRecording(const Recording& r);
    std::optional<Recording> findRecording(const std::string& vocId);
    std::vector<Recording> recordings();

    std::optional<std::string> setting(const std::string& key);
    void setSetting(const std::string& key, const std::string& value);
    std::map<std::string, std::string> settings();

  private:
    explicit DemoDatabase(sqlite3* db) : db_(db) {}
    void execLocked(const char* sql);

    std::mutex mutex_;
    sqlite3* db_;
};

}  // namespace demo
