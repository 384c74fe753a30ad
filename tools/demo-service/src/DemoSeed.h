// The data a fresh database starts with, and the summary printed at start.
#pragma once

#include <string>

#include "tools/demo-service/src/DemoDatabase.h"

namespace demo {

// Enterprise account "demo", password "1234" for both agents.
inline constexpr char kSeedEnterpriseAccount[] = "demo";
inline constexpr char kSeedEnterpriseId[] = "10001";
inline constexpr char kSeedNickName[] = "演示中心";
inline constexpr int kSeedAppId = 1;
inline constexpr int kSeedAgent1 = 8001;
inline constexpr int kSeedAgent2 = 8002;
inline constexpr char kSeedPassword[] = "1234";

// Fills an empty database with the demo enterprise; does nothing when it has an enterprise.
// Returns whether it seeded.
bool SeedIfEmpty(DemoDatabase& db);

// The accounts a user can sign in with, one per line, for the start-up banner.
std::string DescribeAccounts(DemoDatabase& db);

}  // namespace demo
