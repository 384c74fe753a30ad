// Creates the two upload workers for the agent.
#pragma once

#include "client/agent/UploadSinks.h"
#include "client/service/UploadWorkerOptions.h"

class TUploadWorkerFactory : public IUploadWorkerFactory {
  public:
    // `base` supplies everything but host and port (time limits, data folder).
    explicit TUploadWorkerFactory(TUploadWorkerOptions base = {}) : base_(std::move(base)) {}

    std::unique_ptr<ICallLogSink> CreateCallLogWorker(const std::string& host, int port) override;
    std::unique_ptr<IVocFileSink> CreateVocFileWorker(const std::string& host, int port) override;

  private:
    TUploadWorkerOptions base_;
};
