// The agent's side of the two upload workers: where finished calls and their
// recordings are handed over, and how the workers come into being.
#pragma once

#include <memory>
#include <string>

#include "client/agent/TTalkInfo.h"
#include "client/agent/TVocFileInfo.h"

// The call-log upload worker. Destroying it stops the worker, waits for it to
// finish and saves what is still queued.
class ICallLogSink {
  public:
    virtual ~ICallLogSink() = default;
    // Appends the record to the queue and returns at once; called on the
    // user-interface thread. A missed call arrives with TalkType 11, tmEnd
    // equal to tmStart and an empty locFile.
    virtual void SubmitTalkLog(const TTalkInfo& info) = 0;
};

// The recording upload worker. Destroying it stops the worker, waits for it
// to finish and saves what is still queued.
class IVocFileSink {
  public:
    virtual ~IVocFileSink() = default;
    // Appends the recording to the queue and returns at once; called on the
    // user-interface thread right after the call's SubmitTalkLog.
    virtual void SubmitVocFile(const TVocFileInfo& info) = 0;
};

// Creates the workers. The agent asks at its first successful sign-in (or
// when the phone simulator starts) for each worker that does not exist yet,
// and owns what it gets until CloseAgent.
class IUploadWorkerFactory {
  public:
    virtual ~IUploadWorkerFactory() = default;
    virtual std::unique_ptr<ICallLogSink> CreateCallLogWorker(const std::string& host,
                                                              int port) = 0;
    virtual std::unique_ptr<IVocFileSink> CreateVocFileWorker(const std::string& host,
                                                              int port) = 0;
};
