// Settings of the two upload workers, fixed before their threads start.
#pragma once

#include <string>

#include "client/service/HttpRequest.h"

struct TUploadWorkerOptions {
    std::string host;
    int port = 0;
    // Call-log requests: connect and whole-exchange limits. Recording uploads:
    // connect limit, and totalMs without any progress ends the upload.
    THttpTimeouts timeouts;
    int idlePollMs = 100;      // look at an empty queue this often
    int retryDelayMs = 100;    // pause before a failed record is sent again
    int persistRetryMs = 1000;  // retry writing the journal after a disk failure this often
    std::string dataFolder;    // where the queue files live; empty: the data folder
};
