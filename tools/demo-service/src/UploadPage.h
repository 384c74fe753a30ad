// The recording upload page, "/UploadFiles/demo.asp?buid=".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tools/demo-service/src/DemoDatabase.h"
#include "tools/demo-service/src/RecordingStore.h"

namespace demo {

inline constexpr char kUploadPath[] = "/UploadFiles/demo.asp";

struct PageAnswer {
    int status = 200;
    std::string body;  // JSON
};

// Reads the multipart body (the client's form or the standard one), stores the "file1" part
// as the recording of the call named by its file name, and links it to the call by VocID.
PageAnswer HandleRecordingUpload(DemoDatabase& db, const RecordingStore& store,
                                 std::string_view target, std::string_view contentType,
                                 std::string_view body);

}  // namespace demo
