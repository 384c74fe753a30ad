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
    int idlePollMs = 100;       // look at an empty queue this often
    int retryDelayMs = 100;     // pause before a failed record is sent again
    int persistRetryMs = 1000;  // retry writing the journal after a disk failure this often
    std::string dataFolder;     // where the queue files live; empty: the data folder
    // A submitted record is in the journal file when the submit returns (it
    // survives a crash or kill of the process) and a flusher syncs it to the
    // device within milliseconds. true: the submit waits for the device
    // itself (a device flush per submit, several ms on most disks).
    bool syncEachSubmit = false;
};
