#include "tools/demo-service/src/DemoDatabase.h"

#include <sqlite3.h>

#include <stdexcept>

namespace demo {

namespace {

const char kSchema[] = R"sql(
PRAGMA foreign_keys = ON;
CREATE TABLE IF NOT EXISTS enterprises (
    enterprise_id TEXT PRIMARY KEY,
    account TEXT NOT NULL UNIQUE,
    name TEXT NOT NULL,
    nick_name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS applications (
    app_id INTEGER PRIMARY KEY,
    enterprise_id TEXT NOT NULL REFERENCES enterprises(enterprise_id),
    name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS menus (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    app_id INTEGER NOT NULL REFERENCES applications(app_id),
    position INTEGER NOT NULL,
    name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS sub_menus (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    menu_id INTEGER NOT NULL REFERENCES menus(id),
    position INTEGER NOT NULL,
    name TEXT NOT NULL,
    url TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS users (
    agent_id INTEGER PRIMARY KEY,
    enterprise_id TEXT NOT NULL REFERENCES enterprises(enterprise_id),
    account TEXT NOT NULL,
    password TEXT NOT NULL,
    user_name TEXT NOT NULL,
    organization TEXT NOT NULL,
    verification_mode INTEGER NOT NULL DEFAULT 1,
    UNIQUE (enterprise_id, account));
CREATE TABLE IF NOT EXISTS phone_book (
    tele_number TEXT PRIMARY KEY,
    province TEXT NOT NULL, city TEXT NOT NULL, client_name TEXT NOT NULL,
    company_name TEXT NOT NULL, corp TEXT NOT NULL, url_host TEXT NOT NULL,
    url_caption TEXT NOT NULL, note TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS sessions (
    guid TEXT PRIMARY KEY,
    agent_id INTEGER NOT NULL,
    app_id INTEGER NOT NULL,
    signed_in_at TEXT NOT NULL DEFAULT (datetime('now', 'localtime')));
CREATE TABLE IF NOT EXISTS call_logs (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    received_at TEXT NOT NULL DEFAULT (datetime('now', 'localtime')),
    agent_id INTEGER NOT NULL, guid TEXT NOT NULL, user_account TEXT NOT NULL,
    user_name TEXT NOT NULL, user_full_code TEXT NOT NULL, tele_number TEXT NOT NULL,
    talk_type INTEGER NOT NULL, start_time TEXT NOT NULL, stop_time TEXT NOT NULL,
    bus_id TEXT NOT NULL, enterprise_name TEXT NOT NULL, voice_uri TEXT NOT NULL,
    voc_id TEXT NOT NULL, company_name TEXT NOT NULL, client_name TEXT NOT NULL,
    corp TEXT NOT NULL, province TEXT NOT NULL, city TEXT NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS call_logs_voc_id ON call_logs(voc_id) WHERE voc_id <> '';
CREATE TABLE IF NOT EXISTS recordings (
    voc_id TEXT PRIMARY KEY,
    buid TEXT NOT NULL, file_name TEXT NOT NULL, stored_path TEXT NOT NULL,
    size INTEGER NOT NULL, md5 TEXT NOT NULL,
    uploaded_at TEXT NOT NULL DEFAULT (datetime('now', 'localtime')));
CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL);
)sql";

// One prepared statement; binds by position from 1, steps, reads columns from 0.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite prepare: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(const std::string& text) {
        check(sqlite3_bind_text(stmt_, ++index_, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bind(long long value) {
        check(sqlite3_bind_int64(stmt_, ++index_, value));
        return *this;
    }
    Statement& bind(int value) { return bind(static_cast<long long>(value)); }

    // True while a row is available.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw std::runtime_error(std::string("SQLite step: ") + sqlite3_errmsg(db_));
    }
    void run() {
        while (step()) {
        }
    }
    std::string text(int column) const {
        const auto* p = sqlite3_column_text(stmt_, column);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
    }
    long long int64(int column) const { return sqlite3_column_int64(stmt_, column); }
    int int32(int column) const { return sqlite3_column_int(stmt_, column); }

  private:
    void check(int rc) {
        if (rc != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite bind: ") + sqlite3_errmsg(db_));
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    int index_ = 0;
};

Enterprise ReadEnterprise(const Statement& s) {
    return {s.text(0), s.text(1), s.text(2), s.text(3)};
}
const char kEnterpriseColumns[] = "SELECT account, enterprise_id, name, nick_name FROM enterprises";

User ReadUser(const Statement& s) {
    return {s.int32(0), s.text(1), s.text(2), s.text(3), s.text(4), s.text(5), s.int32(6)};
}
const char kUserColumns[] =
    "SELECT agent_id, enterprise_id, account, password, user_name, organization, "
    "verification_mode FROM users";

PhoneBookEntry ReadPhoneBookEntry(const Statement& s) {
    return {s.text(0), s.text(1), s.text(2), s.text(3), s.text(4),
            s.text(5), s.text(6), s.text(7), s.text(8)};
}
const char kPhoneBookColumns[] =
    "SELECT tele_number, province, city, client_name, company_name, corp, url_host, "
    "url_caption, note FROM phone_book";

Recording ReadRecording(const Statement& s) {
    return {s.text(0), s.text(1), s.text(2), s.text(3), s.int64(4), s.text(5), s.text(6)};
}
const char kRecordingColumns[] =
    "SELECT voc_id, buid, file_name, stored_path, size, md5, uploaded_at FROM recordings";

}  // namespace

std::unique_ptr<DemoDatabase> DemoDatabase::Open(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = "cannot open database " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    std::unique_ptr<DemoDatabase> result(new DemoDatabase(db));
    try {
        std::lock_guard lock(result->mutex_);
        if (path != ":memory:")
            result->execLocked("PRAGMA journal_mode = WAL;");
        result->execLocked(kSchema);
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    return result;
}

DemoDatabase::~DemoDatabase() {
    sqlite3_close(db_);
}

void DemoDatabase::execLocked(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("SQLite: " + text);
    }
}

bool DemoDatabase::hasEnterprises() {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT 1 FROM enterprises LIMIT 1");
    return s.step();
}

void DemoDatabase::addEnterprise(const Enterprise& e) {
    std::lock_guard lock(mutex_);
    Statement(db_,
              "INSERT INTO enterprises (enterprise_id, account, name, nick_name) "
              "VALUES (?, ?, ?, ?)")
        .bind(e.enterpriseId)
        .bind(e.account)
        .bind(e.name)
        .bind(e.nickName)
        .run();
}

void DemoDatabase::addApplication(const Application& a) {
    std::lock_guard lock(mutex_);
    Statement(db_, "INSERT INTO applications (app_id, enterprise_id, name) VALUES (?, ?, ?)")
        .bind(a.appId)
        .bind(a.enterpriseId)
        .bind(a.name)
        .run();
}

void DemoDatabase::addMenu(int appId, int position, const Menu& menu) {
    std::lock_guard lock(mutex_);
    Statement(db_, "INSERT INTO menus (app_id, position, name) VALUES (?, ?, ?)")
        .bind(appId)
        .bind(position)
        .bind(menu.name)
        .run();
    const long long menuId = sqlite3_last_insert_rowid(db_);
    int subPosition = 0;
    for (const auto& sub : menu.subMenus) {
        Statement(db_, "INSERT INTO sub_menus (menu_id, position, name, url) VALUES (?, ?, ?, ?)")
            .bind(menuId)
            .bind(subPosition++)
            .bind(sub.name)
            .bind(sub.url)
            .run();
    }
}

void DemoDatabase::addUser(const User& u) {
    std::lock_guard lock(mutex_);
    Statement(db_,
              "INSERT INTO users (agent_id, enterprise_id, account, password, user_name, "
              "organization, verification_mode) VALUES (?, ?, ?, ?, ?, ?, ?)")
        .bind(u.agentId)
        .bind(u.enterpriseId)
        .bind(u.account)
        .bind(u.password)
        .bind(u.userName)
        .bind(u.organization)
        .bind(u.verificationMode)
        .run();
}

void DemoDatabase::addPhoneBookEntry(const PhoneBookEntry& p) {
    std::lock_guard lock(mutex_);
    Statement(db_,
              "INSERT OR REPLACE INTO phone_book (tele_number, province, city, client_name, "
              "company_name, corp, url_host, url_caption, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(p.teleNumber)
        .bind(p.province)
        .bind(p.city)
        .bind(p.clientName)
        .bind(p.companyName)
        .bind(p.corp)
        .bind(p.urlHost)
        .bind(p.urlCaption)
        .bind(p.note)
        .run();
}

std::vector<Enterprise> DemoDatabase::enterprises() {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kEnterpriseColumns) + " ORDER BY enterprise_id").c_str());
    std::vector<Enterprise> out;
    while (s.step())
        out.push_back(ReadEnterprise(s));
    return out;
}

std::optional<Enterprise> DemoDatabase::findEnterpriseByAccount(const std::string& account) {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kEnterpriseColumns) + " WHERE account = ?").c_str());
    s.bind(account);
    if (!s.step())
        return std::nullopt;
    return ReadEnterprise(s);
}

std::optional<Enterprise> DemoDatabase::findEnterpriseById(const std::string& enterpriseId) {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kEnterpriseColumns) + " WHERE enterprise_id = ?").c_str());
    s.bind(enterpriseId);
    if (!s.step())
        return std::nullopt;
    return ReadEnterprise(s);
}

std::vector<Application> DemoDatabase::applicationsOf(const std::string& enterpriseId) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT app_id, enterprise_id, name FROM applications WHERE enterprise_id = ? "
                "ORDER BY rowid");
    s.bind(enterpriseId);
    std::vector<Application> out;
    while (s.step())
        out.push_back({s.int32(0), s.text(1), s.text(2)});
    return out;
}

std::optional<Application> DemoDatabase::findApplication(int appId) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT app_id, enterprise_id, name FROM applications WHERE app_id = ?");
    s.bind(appId);
    if (!s.step())
        return std::nullopt;
    return Application{s.int32(0), s.text(1), s.text(2)};
}

std::vector<Menu> DemoDatabase::menusOf(int appId) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT m.id, m.name, s.name, s.url FROM menus m "
                "LEFT JOIN sub_menus s ON s.menu_id = m.id "
                "WHERE m.app_id = ? ORDER BY m.position, m.id, s.position, s.id");
    s.bind(appId);
    std::vector<Menu> out;
    long long lastMenu = -1;
    while (s.step()) {
        if (s.int64(0) != lastMenu) {
            lastMenu = s.int64(0);
            out.push_back({s.text(1), {}});
        }
        if (!s.text(3).empty() || !s.text(2).empty())
            out.back().subMenus.push_back({s.text(2), s.text(3)});
    }
    return out;
}

std::vector<User> DemoDatabase::users() {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kUserColumns) + " ORDER BY agent_id").c_str());
    std::vector<User> out;
    while (s.step())
        out.push_back(ReadUser(s));
    return out;
}

std::optional<User> DemoDatabase::findUser(const std::string& enterpriseId,
                                           const std::string& account) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                (std::string(kUserColumns) + " WHERE enterprise_id = ? AND account = ?").c_str());
    s.bind(enterpriseId).bind(account);
    if (!s.step())
        return std::nullopt;
    return ReadUser(s);
}

std::optional<User> DemoDatabase::findUserByAgentId(int agentId) {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kUserColumns) + " WHERE agent_id = ?").c_str());
    s.bind(agentId);
    if (!s.step())
        return std::nullopt;
    return ReadUser(s);
}

std::optional<PhoneBookEntry> DemoDatabase::findPhoneBookEntry(const std::string& teleNumber) {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kPhoneBookColumns) + " WHERE tele_number = ?").c_str());
    s.bind(teleNumber);
    if (!s.step())
        return std::nullopt;
    return ReadPhoneBookEntry(s);
}

std::vector<PhoneBookEntry> DemoDatabase::phoneBook() {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kPhoneBookColumns) + " ORDER BY tele_number").c_str());
    std::vector<PhoneBookEntry> out;
    while (s.step())
        out.push_back(ReadPhoneBookEntry(s));
    return out;
}

void DemoDatabase::addSession(const std::string& guid, int agentId, int appId) {
    std::lock_guard lock(mutex_);
    Statement(db_, "INSERT OR REPLACE INTO sessions (guid, agent_id, app_id) VALUES (?, ?, ?)")
        .bind(guid)
        .bind(agentId)
        .bind(appId)
        .run();
}

void DemoDatabase::storeCallLog(const CallLog& c) {
    std::lock_guard lock(mutex_);
    if (!c.vocId.empty())
        Statement(db_, "DELETE FROM call_logs WHERE voc_id = ?").bind(c.vocId).run();
    Statement(db_,
              "INSERT INTO call_logs (agent_id, guid, user_account, user_name, user_full_code, "
              "tele_number, talk_type, start_time, stop_time, bus_id, enterprise_name, voice_uri, "
              "voc_id, company_name, client_name, corp, province, city) "
              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(c.agentId)
        .bind(c.guid)
        .bind(c.userAccount)
        .bind(c.userName)
        .bind(c.userFullCode)
        .bind(c.teleNumber)
        .bind(c.talkType)
        .bind(c.startTime)
        .bind(c.stopTime)
        .bind(c.busId)
        .bind(c.enterpriseName)
        .bind(c.voiceUri)
        .bind(c.vocId)
        .bind(c.companyName)
        .bind(c.clientName)
        .bind(c.corp)
        .bind(c.province)
        .bind(c.city)
        .run();
}

std::vector<CallLog> DemoDatabase::callLogs(int agentId, bool missedOnly) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT id, received_at, agent_id, guid, user_account, user_name, "
                "user_full_code, tele_number, talk_type, start_time, stop_time, bus_id, "
                "enterprise_name, voice_uri, voc_id, company_name, client_name, corp, province, "
                "city FROM call_logs WHERE (? = 0 OR agent_id = ?) AND (? = 0 OR talk_type = 11) "
                "ORDER BY start_time DESC, id DESC");
    s.bind(agentId).bind(agentId).bind(missedOnly ? 1 : 0);
    std::vector<CallLog> out;
    while (s.step()) {
        CallLog c;
        c.id = s.int64(0);
        c.receivedAt = s.text(1);
        c.agentId = s.int32(2);
        c.guid = s.text(3);
        c.userAccount = s.text(4);
        c.userName = s.text(5);
        c.userFullCode = s.text(6);
        c.teleNumber = s.text(7);
        c.talkType = s.int32(8);
        c.startTime = s.text(9);
        c.stopTime = s.text(10);
        c.busId = s.text(11);
        c.enterpriseName = s.text(12);
        c.voiceUri = s.text(13);
        c.vocId = s.text(14);
        c.companyName = s.text(15);
        c.clientName = s.text(16);
        c.corp = s.text(17);
        c.province = s.text(18);
        c.city = s.text(19);
        out.push_back(std::move(c));
    }
    return out;
}

void DemoDatabase::storeRecording(const Recording& r) {
    std::lock_guard lock(mutex_);
    Statement(db_,
              "INSERT OR REPLACE INTO recordings (voc_id, buid, file_name, stored_path, size, md5) "
              "VALUES (?, ?, ?, ?, ?, ?)")
        .bind(r.vocId)
        .bind(r.buid)
        .bind(r.fileName)
        .bind(r.storedPath)
        .bind(r.size)
        .bind(r.md5)
        .run();
}

std::optional<Recording> DemoDatabase::findRecording(const std::string& vocId) {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kRecordingColumns) + " WHERE voc_id = ?").c_str());
    s.bind(vocId);
    if (!s.step())
        return std::nullopt;
    return ReadRecording(s);
}

std::vector<Recording> DemoDatabase::recordings() {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kRecordingColumns) + " ORDER BY uploaded_at, voc_id").c_str());
    std::vector<Recording> out;
    while (s.step())
        out.push_back(ReadRecording(s));
    return out;
}

std::optional<std::string> DemoDatabase::setting(const std::string& key) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT value FROM settings WHERE key = ?");
    s.bind(key);
    if (!s.step())
        return std::nullopt;
    return s.text(0);
}

void DemoDatabase::setSetting(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    Statement(db_, "INSERT OR REPLACE INTO settings (key, value) VALUES (?, ?)")
        .bind(key)
        .bind(value)
        .run();
}

std::map<std::string, std::string> DemoDatabase::settings() {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT key, value FROM settings ORDER BY key");
    std::map<std::string, std::string> out;
    while (s.step())
        out[s.text(0)] = s.text(1);
    return out;
}

}  // namespace demo
