#include "tools/demo-service/src/VersionDocument.h"

#include "platform/Text.h"
#include "tools/demo-service/src/JsonText.h"

namespace demo {

std::string CheckOfferedVersions(const std::string& json) {
    const Json offered = Json::parse(json, nullptr, false);
    if (offered.is_discarded() || !offered.is_array())
        return "not a JSON array";
    for (const auto& item : offered) {
        if (!item.is_object() || !item.contains("Ver") || !item["Ver"].is_string() ||
            !item.contains("Path") || !item["Path"].is_string())
            return "every element needs the string members \"Ver\" and \"Path\"";
    }
    return {};
}

std::string CheckSetting(const std::string& key, const std::string& value) {
    if (key == kSettingOfferedVersions)
        return CheckOfferedVersions(value);
    if (key == kSettingRealHostPort || key == kSettingVersionState) {
        if (!value.empty() && !platform::ParseInt64(value))
            return key + " is not a number";
    }
    return {};
}

std::string BuildVersionDocument(DemoDatabase& db, const std::string& selfHost, int selfPort) {
    Json offered = Json::parse(db.setting(kSettingOfferedVersions).value_or("[]"), nullptr, false);
    if (offered.is_discarded() || !offered.is_array())
        offered = Json::array();
    const std::string host = db.setting(kSettingRealHostIP).value_or("");
    const int port = platform::StrToIntDef(db.setting(kSettingRealHostPort).value_or(""), selfPort);
    const int state = platform::StrToIntDef(db.setting(kSettingVersionState).value_or(""), 1000);
    return DumpJson(Json{{"State", state},
                         {"urlRealHostIP", host.empty() ? selfHost : host},
                         {"urlRealHostPort", port},
                         {"RodiZeradUpgradeInfo", offered}});
}

}  // namespace demo
