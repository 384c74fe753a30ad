// Records, options and queue-file helpers shared by the upload tests.
#pragma once

#include <string>

#include "client/agent/TTalkInfo.h"
#include "client/agent/TVocFileInfo.h"
#include "client/service/UploadWorkerOptions.h"

namespace servicetest {

// Fast polling and short time limits, so failure cases take milliseconds.
inline TUploadWorkerOptions FastOptions(int port) {
    TUploadWorkerOptions o;
    o.host = "127.0.0.1";
    o.port = port;
    o.timeouts = {1000, 1000};
    o.idlePollMs = 10;
    o.retryDelayMs = 20;
    o.persistRetryMs = 50;
    return o;
}

// A call record whose CallerID is "n<index>".
inline TTalkInfo MakeTalk(int index) {
    TTalkInfo t;
    t.EnterpriseName = "ent";
    t.UserID = 8001;
    t.UserAccount = "agent1";
    t.UserName = "Ann";
    t.UserFullCode = "01_0105";
    t.CallerID = "n" + std::to_string(index);
    t.CompanyName = "co";
    t.ClientName = "cl";
    t.Corp = "corp";
    t.Province = "prov";
    t.City = "city";
    t.TalkType = 1;
    t.tmStart = {2024, 3, 15, 9, 30, 12, 0};
    t.tmEnd = {2024, 3, 15, 9, 31, 2, 0};
    t.guidVocID = "{G-" + std::to_string(index) + "}";
    t.locFile = "/data/VocFile/rec" + std::to_string(index) + ".mp3";
    return t;
}

}  // namespace servicetest
