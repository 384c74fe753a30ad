// The test-control API under "/admin/", served to loopback peers only: faults, the journal of
// received requests, stored rows and settings. Every answer is JSON.
#pragma once

#include <string>
#include <string_view>

#include "tools/demo-service/src/DemoDatabase.h"
#include "tools/demo-service/src/FaultInjector.h"
#include "tools/demo-service/src/RequestJournal.h"

namespace demo {

inline constexpr char kAdminPrefix[] = "/admin/";

struct AdminAnswer {
    int status = 200;
    std::string body;
};

class AdminApi {
  public:
    AdminApi(DemoDatabase& db, FaultInjector& faults, RequestJournal& journal)
        : db_(db), faults_(faults), journal_(journal) {}

    AdminAnswer handle(const std::string& method, const std::string& path, std::string_view target,
                       const std::string& body);

  private:
    AdminAnswer addFault(std::string_view target, const std::string& body);
    AdminAnswer changeSettings(const std::string& body);

    DemoDatabase& db_;
    FaultInjector& faults_;
    RequestJournal& journal_;
};

}  // namespace demo
