#include "tools/dialrule-gen/RuleTables.h"

namespace {
const char* const kMobile = "中国移动";
const char* const kUnicom = "中国联通";
const char* const kTelecom = "中国电信";
const char* const kBroadnet = "中国广电";
const char* const kMobileVirtual = "中国移动虚拟运营商";
const char* const kUnicomVirtual = "中国联通虚拟运营商";
const char* const kTelecomVirtual = "中国电信虚拟运营商";
}  // namespace

const std::vector<TCodeName>& IPPrefixTable() {
    static const std::vector<TCodeName> table = {
        {"17951", "中国移动IP长途"}, {"12593", "中国移动IP长途"}, {"17911", "中国联通IP长途"},
        {"10193", "中国联通IP长途"}, {"17909", "中国电信IP长途"}, {"17901", "中国电信IP长途"},
    };
    return table;
}

const std::vector<TCodeName>& ShortNumberTable() {
    static const std::vector<TCodeName> table = {
        // Emergency numbers.
        {"110", "报警电话"},
        {"119", "火警电话"},
        {"120", "急救中心"},
        {"122", "交通事故报警"},
        {"999", "红十字急救"},
        {"114", "查号台"},
        // Public service lines.
        {"12110", "短信报警"},
        {"12119", "森林火警"},
        {"12121", "天气预报"},
        {"12122", "高速公路救援"},
        {"12306", "铁路客户服务中心"},
        {"12315", "消费者投诉举报"},
        {"12318", "文化市场举报"},
        {"12320", "卫生健康热线"},
        {"12331", "食品药品投诉举报"},
        {"12333", "人力资源和社会保障"},
        {"12338", "妇女维权"},
        {"12345", "政务服务便民热线"},
        {"12348", "法律服务"},
        {"12351", "职工维权"},
        {"12355", "青少年服务"},
        {"12358", "价格举报"},
        {"12365", "质量监督投诉"},
        {"12366", "纳税服务"},
        {"12369", "环保举报"},
        {"12380", "举报受理"},
        {"12395", "水上遇险求救"},
        // The operators' service lines.
        {"10086", "中国移动客服"},
        {"10010", "中国联通客服"},
        {"10000", "中国电信客服"},
        {"10099", "中国广电客服"},
        // Banks.
        {"95588", "中国工商银行"},
        {"95599", "中国农业银行"},
        {"95566", "中国银行"},
        {"95533", "中国建设银行"},
        {"95559", "交通银行"},
        {"95555", "招商银行"},
        {"95558", "中信银行"},
        {"95595", "中国光大银行"},
        {"95568", "中国民生银行"},
        {"95528", "上海浦东发展银行"},
        {"95561", "兴业银行"},
        {"95508", "广发银行"},
        {"95511", "中国平安"},
        {"95577", "华夏银行"},
        {"95580", "中国邮政储蓄银行"},
        {"95526", "北京银行"},
        // Insurers, utilities, carriers, airlines.
        {"95518", "中国人保"},
        {"95519", "中国人寿"},
        {"95500", "中国太平洋保险"},
        {"95598", "国家电网"},
        {"95338", "顺丰速运"},
        {"95311", "中通快递"},
        {"95543", "申通快递"},
        {"95546", "韵达快递"},
        {"95554", "圆通速递"},
        {"95583", "中国国际航空"},
        {"95530", "东方航空"},
        {"95539", "南方航空"},
    };
    return table;
}

const std::vector<TCodeName>& MobileSegmentTable() {
    static const std::vector<TCodeName> table = {
        {"1349", "中国卫通"},      {"1740", "中国电信卫星"},  {"1700", kTelecomVirtual},
        {"1701", kTelecomVirtual}, {"1702", kTelecomVirtual}, {"1703", kMobileVirtual},
        {"1705", kMobileVirtual},  {"1706", kMobileVirtual},  {"1704", kUnicomVirtual},
        {"1707", kUnicomVirtual},  {"1708", kUnicomVirtual},  {"1709", kUnicomVirtual},
        {"130", kUnicom},          {"131", kUnicom},          {"132", kUnicom},
        {"133", kTelecom},         {"134", kMobile},          {"135", kMobile},
        {"136", kMobile},          {"137", kMobile},          {"138", kMobile},
        {"139", kMobile},          {"145", kUnicom},          {"146", kUnicom},
        {"147", kMobile},          {"148", kMobile},          {"149", kTelecom},
        {"150", kMobile},          {"151", kMobile},          {"152", kMobile},
        {"153", kTelecom},         {"155", kUnicom},          {"156", kUnicom},
        {"157", kMobile},          {"158", kMobile},          {"159", kMobile},
        {"162", kTelecomVirtual},  {"165", kMobileVirtual},   {"166", kUnicom},
        {"167", kUnicomVirtual},   {"171", kUnicomVirtual},   {"172", kMobile},
        {"173", kTelecom},         {"175", kUnicom},          {"176", kUnicom},
        {"177", kTelecom},         {"178", kMobile},          {"180", kTelecom},
        {"181", kTelecom},         {"182", kMobile},          {"183", kMobile},
        {"184", kMobile},          {"185", kUnicom},          {"186", kUnicom},
        {"187", kMobile},          {"188", kMobile},          {"189", kTelecom},
        {"190", kTelecom},         {"191", kTelecom},         {"192", kBroadnet},
        {"193", kTelecom},         {"195", kMobile},          {"196", kUnicom},
        {"197", kMobile},          {"198", kMobile},          {"199", kTelecom},
    };
    return table;
}

const std::vector<TNetworkNumber>& NetworkNumberTable() {
    static const std::vector<TNetworkNumber> table = {
        {"400", 10, "400电话"},
        {"800", 10, "800免费电话"},
    };
    return table;
}
