#include "tools/demo-service/src/UploadPage.h"

#include "client/service/ApiSignature.h"
#include "tools/demo-service/src/ApiMessages.h"
#include "tools/demo-service/src/JsonText.h"
#include "tools/demo-service/src/MultipartBody.h"
#include "tools/demo-service/src/QueryParams.h"

namespace demo {

PageAnswer HandleRecordingUpload(DemoDatabase& db, const RecordingStore& store,
                                 std::string_view target, std::string_view contentType,
                                 std::string_view body) {
    const QueryParams params = QueryParams::Parse(target);
    if (!params.ok())
        return {400, StateAnswer(kStateBadRequest, params.error())};
    const auto buid = params.get("buid");
    if (!buid)
        return {400, StateAnswer(kStateBadRequest, "missing parameter buid")};

    const MultipartBody form = ParseMultipartBody(contentType, body);
    if (!form.ok())
        return {400, StateAnswer(kStateBadRequest, "multipart body: " + form.error)};
    const MultipartPart* file = form.find("file1");
    if (!file || !file->hasFileName)
        return {400, StateAnswer(kStateBadRequest, "no file part \"file1\" with a filename")};
    const std::string vocId = VocIdOfFileName(file->fileName);
    if (vocId.empty())
        return {400, StateAnswer(kStateBadRequest,
                                 "the file name has no call identifier before its first \"_\"")};

    std::string error;
    const auto stored = store.save(vocId, file->content, error);
    if (!stored)
        return {500, StateAnswer(kStateServerError, error)};
    Recording recording;
    recording.vocId = vocId;
    recording.buid = *buid;
    recording.fileName = file->fileName;
    recording.storedPath = *stored;
    recording.size = static_cast<long long>(file->content.size());
    recording.md5 = Md5Hex(file->content);
    db.storeRecording(recording);
    return {200, DumpJson(Json{{"State", kStateOk},
                               {"VocID", vocId},
                               {"Size", recording.size},
                               {"MD5", recording.md5}})};
}

}  // namespace demo
