// LogMsg as the client calls it: each line opens the configuration to test
// EnableLog, then opens, appends to and closes the log file.
#include <benchmark/benchmark.h>

#include "client/shell/Configuration.h"
#include "client/shell/TxtLog.h"
#include "platform/ProfileFile.h"
#include "tests/support/TempDir.h"

static void BM_LogMsg(benchmark::State& state) {
    testsupport::TempDir dir;
    SetDataFolder(dir.folder());
    // A configuration of realistic size.
    for (const char* key : {"Host", "Port", "AreaCode", "LocalTelLength", "LineType", "PrefixDTMF",
                            "PrefixCID", "ExtNoLen", "PopupCallout", "AutoLogin", "Company", "User",
                            "LogPSW", "EnableSystemAlert"}) {
        IniWriteString("BizAgent", key, "value");
    }
    IniWriteInteger("BizAgent", "EnableLog", 1);
    IniWriteString("SKIN", "SkinName", "Android OS (internal)");
    TTxtLog log;
    log.LogDir = "Log";
    log.LogName = "RodiZerad";
    SetProcessLog(&log);
    const std::string text =
        "来电:13800138000 状态:振铃 通话序号:42 <MSG> trace line of typical length";
    for (auto _ : state)
        LogMsg(text);
    state.SetItemsProcessed(state.iterations());
    SetProcessLog(nullptr);
    SetDataFolder("");
}
BENCHMARK(BM_LogMsg)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
