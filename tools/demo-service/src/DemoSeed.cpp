#include "tools/demo-service/src/DemoSeed.h"

namespace demo {

bool SeedIfEmpty(DemoDatabase& db) {
    if (db.hasEnterprises())
        return false;
    db.addEnterprise({kSeedEnterpriseAccount, kSeedEnterpriseId, "Quorvel演示企业", kSeedNickName});
    db.addApplication({kSeedAppId, kSeedEnterpriseId, "演示呼叫中心"});
    // Sub-menu addresses are paths on this service; {EnterpriseID} and {AgentID} are filled in
    // for the signed-in agent.
    db.addMenu(
        kSeedAppId, 0,
        {"客户服务",
         {{"电话簿", "/Modules/PhoneBook.aspx?EnterpriseID={EnterpriseID}"},
          {"话务查询", "/Modules/Dvs/TalkList2.aspx?CompanyID={EnterpriseID}&AgentID={AgentID}"},
          {"未接来电", "/Modules/Dvs/MissCall2.aspx?CompanyID={EnterpriseID}&AgentID={AgentID}"}}});
    db.addMenu(kSeedAppId, 1, {"帮助", {{"关于演示服务", "/Modules/About.aspx"}}});
    const std::string org = std::string(kSeedNickName) + "_01|客服部_0105|一组_010502";
    db.addUser({kSeedAgent1, kSeedEnterpriseId, "agent1", kSeedPassword, "张三", org, 1});
    db.addUser({kSeedAgent2, kSeedEnterpriseId, "agent2", kSeedPassword, "李四", org, 1});
    db.addPhoneBookEntry({"13800138000", "广东", "深圳", "王五", "深圳星河贸易有限公司", "中国移动",
                          "", "", "VIP客户"});
    db.addPhoneBookEntry(
        {"13912345678", "江苏", "南京", "赵六", "南京云帆科技", "中国移动", "", "", ""});
    db.addPhoneBookEntry({"01062345678", "北京", "北京", "钱七", "北京华信咨询", "中国电信", "", "",
                          "上午来电优先"});
    db.addPhoneBookEntry(
        {"075588886666", "广东", "深圳", "孙八", "前海物流", "中国联通", "", "", ""});
    return true;
}

std::string DescribeAccounts(DemoDatabase& db) {
    std::string out;
    const auto enterprises = db.enterprises();
    const auto users = db.users();
    for (const auto& e : enterprises) {
        out += "enterprise account \"" + e.account + "\" (EnterpriseID " + e.enterpriseId + ", " +
               e.name + ")\n";
        for (const auto& u : users) {
            if (u.enterpriseId != e.enterpriseId)
                continue;
            out += "  user \"" + u.account + "\" password \"" + u.password + "\" (AgentID " +
                   std::to_string(u.agentId) + ", " + u.userName + ")\n";
        }
    }
    return out;
}

}  // namespace demo
