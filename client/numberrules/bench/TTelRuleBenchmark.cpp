// Cost of classifying a caller number and a whole dialled number (one call
// per digit), with the shipped rule file and with generated full-size ones,
// and of loading a generated file.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/SyntheticRules.h"

namespace {

constexpr int kSyntheticAreaCodes = 3000;

struct TWorkload {
    std::unique_ptr<TTelRule> Rule;
    std::vector<std::string> CallerNumbers;
    std::vector<std::string> DialledNumbers;
};

const TWorkload& ShippedWorkload() {
    static const TWorkload workload = [] {
        TWorkload w;
        w.Rule = std::make_unique<TTelRule>();
        TRuleLoadResult result = w.Rule->LoadFromFile(NUMBERRULES_SHIPPED_FILE);
        if (!result.Ok) {
            throw std::runtime_error(result.Error);
        }
        w.CallerNumbers = {"13800138000", "013912345678", "075583456789", "02112345678",
                           "95588",       "075595555",    "83456789",     "18912345678"};
        w.DialledNumbers = {"13800138000", "075583456789", "1795113800138000", "1790901087654321",
                            "4008001234",  "10086",        "83456789",         "013912345678"};
        return w;
    }();
    return workload;
}

const TWorkload& SyntheticWorkload(int mobilSegs) {
    static std::map<int, TWorkload> cache;
    auto found = cache.find(mobilSegs);
    if (found != cache.end()) {
        return found->second;
    }
    TWorkload w;
    w.Rule = std::make_unique<TTelRule>();
    TRuleLoadResult result =
        w.Rule->LoadFromMemory(SyntheticRuleDocument(mobilSegs, kSyntheticAreaCodes));
    if (!result.Ok) {
        throw std::runtime_error(result.Error);
    }
    std::mt19937 random(42);
    std::uniform_int_distribution<int> segment(0, mobilSegs - 1), area(0, kSyntheticAreaCodes - 1),
        tail(1000, 9999);
    for (int n = 0; n < 64; ++n) {
        std::string mobile = SyntheticMobilSeg(segment(random)) + std::to_string(tail(random));
        std::string fixed = SyntheticAreaCode(area(random)) + "2" + std::to_string(tail(random)) +
                            std::to_string(tail(random)).substr(0, 2);
        w.CallerNumbers.push_back(n % 2 ? mobile : fixed);
        w.DialledNumbers.push_back(n % 4 == 1 ? "0" + mobile : (n % 2 ? mobile : fixed));
    }
    return cache.emplace(mobilSegs, std::move(w)).first->second;
}

void RunCaller(benchmark::State& state, const TWorkload& w) {
    std::size_t next = 0;
    for (auto _ : state) {
        std::string number = w.CallerNumbers[next++ % w.CallerNumbers.size()];
        TTelAttr attr;
        attr.TelType = 2;
        attr.Province = "广东省";
        attr.City = "深圳市";
        w.Rule->ClassifyCallerNumber(number, attr);
        benchmark::DoNotOptimize(attr.TelType);
    }
}

void RunDialled(benchmark::State& state, const TWorkload& w) {
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& number = w.DialledNumbers[next++ % w.DialledNumbers.size()];
        TTelAttr attr;
        attr.Province = "广东省";
        attr.City = "深圳市";
        attr.TelLength = 8;
        std::string digits;
        for (char digit : number) {
            digits += digit;
            w.Rule->ClassifyDialledNumber(digits, attr);
            if (attr.Stage == 4) {
                break;
            }
        }
        benchmark::DoNotOptimize(attr.Stage);
    }
}

void BM_CallerNumber_Shipped(benchmark::State& state) {
    RunCaller(state, ShippedWorkload());
}
void BM_DialledNumber_Shipped(benchmark::State& state) {
    RunDialled(state, ShippedWorkload());
}
void BM_CallerNumber_MobileSegments(benchmark::State& state) {
    RunCaller(state, SyntheticWorkload(static_cast<int>(state.range(0))));
}
void BM_DialledNumber_MobileSegments(benchmark::State& state) {
    RunDialled(state, SyntheticWorkload(static_cast<int>(state.range(0))));
}

// Loading from a file on disk, the way the agent loads DialRule.xml.
void BM_LoadFile_MobileSegments(benchmark::State& state) {
    const int mobilSegs = static_cast<int>(state.range(0));
    std::string path = "/tmp/numberrules-bench-XXXXXX";
    int fd = mkstemp(path.data());
    if (fd < 0) {
        state.SkipWithError("mkstemp failed");
        return;
    }
    close(fd);
    const std::string document = SyntheticRuleDocument(mobilSegs, kSyntheticAreaCodes);
    std::ofstream(path, std::ios::binary) << document;
    for (auto _ : state) {
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromFile(path);
        if (!result.Ok) {
            state.SkipWithError(result.Error.c_str());
            break;
        }
        benchmark::DoNotOptimize(rule.MobilTelSegs().size());
    }
    state.counters["file_MiB"] = static_cast<double>(document.size()) / (1 << 20);
    std::remove(path.c_str());
}

const std::vector<int64_t> kSizes = {1000, 10000, 100000, 500000};

}  // namespace

BENCHMARK(BM_CallerNumber_Shipped);
BENCHMARK(BM_DialledNumber_Shipped);
BENCHMARK(BM_CallerNumber_MobileSegments)->ArgsProduct({kSizes});
BENCHMARK(BM_DialledNumber_MobileSegments)->ArgsProduct({kSizes});
BENCHMARK(BM_LoadFile_MobileSegments)
    ->ArgsProduct({kSizes})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
