#include "client/service/UploadWorkerFactory.h"

#include "client/service/TTrdUploadTalkLog.h"
#include "client/service/TTrdUploadVocFile.h"

std::unique_ptr<ICallLogSink> TUploadWorkerFactory::CreateCallLogWorker(const std::string& host,
                                                                        int port) {
    TUploadWorkerOptions options = base_;
    options.host = host;
    options.port = port;
    return std::make_unique<TTrdUploadTalkLog>(std::move(options));
}

std::unique_ptr<IVocFileSink> TUploadWorkerFactory::CreateVocFileWorker(const std::string& host,
                                                                        int port) {
    TUploadWorkerOptions options = base_;
    options.host = host;
    options.port = port;
    return std::make_unique<TTrdUploadVocFile>(std::move(options));
}
