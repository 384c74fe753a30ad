// Splitting multipart bodies of both forms.
#include <gtest/gtest.h>

#include "tools/demo-service/src/MultipartBody.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

TEST(DemoMultipartBodyTest, ClientFormTakesItsDelimiterFromTheFirstLine) {
    const std::string content = std::string("a\r\nb\0c", 6);
    const std::string body = ClientUploadBody("C:\\dir name\\{G}_1_2.mp3", content);
    const MultipartBody form = ParseMultipartBody("multipart/form-data", body);
    ASSERT_TRUE(form.ok()) << form.error;
    ASSERT_EQ(form.parts.size(), 2u);
    EXPECT_EQ(form.parts[0].name, "file1");
    EXPECT_TRUE(form.parts[0].hasFileName);
    EXPECT_EQ(form.parts[0].fileName, "C:\\dir name\\{G}_1_2.mp3");
    EXPECT_EQ(form.parts[0].contentType, "application/octet-stream");
    EXPECT_EQ(form.parts[0].content, content);
    EXPECT_EQ(form.parts[1].name, "text1");
    EXPECT_FALSE(form.parts[1].hasFileName);
    EXPECT_EQ(form.parts[1].content, "");
}

TEST(DemoMultipartBodyTest, StandardFormUsesTheBoundaryParameter) {
    const std::string body =
        "preamble\r\n--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\none\r\n"
        "--XyZ\r\ncontent-disposition: form-data; name=\"file1\"; filename=\"x_y.mp3\"\r\n\r\n"
        "--XyZ is not here\r\n--XyZ--\r\n";
    const std::string types[] = {"multipart/form-data; boundary=XyZ",
                                 "multipart/form-data; boundary=\"XyZ\"; charset=utf-8"};
    for (const auto& type : types) {
        const MultipartBody form = ParseMultipartBody(type, body);
        ASSERT_TRUE(form.ok()) << type << ": " << form.error;
        ASSERT_EQ(form.parts.size(), 2u);
        EXPECT_EQ(form.parts[0].content, "one");
        ASSERT_NE(form.find("file1"), nullptr);
        EXPECT_EQ(form.find("file1")->fileName, "x_y.mp3");
        EXPECT_EQ(form.find("file1")->content, "--XyZ is not here");
    }
}

TEST(DemoMultipartBodyTest, BrokenBodiesGiveAnErrorAndNoParts) {
    const std::string d = "--b";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no line break", "--b"},
        {"first line no delimiter", "b\r\n\r\n"},
        {"delimiter then garbage", d + "xx"},
        {"no end of headers", d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n"},
        {"header without colon", d + "\r\nnonsense\r\n\r\nv\r\n" + d + "--"},
        {"unclosed part", d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue"},
        {"overlong delimiter", "--" + std::string(300, 'x') + "\r\n"},
    };
    for (const auto& [what, body] : cases) {
        const MultipartBody form = ParseMultipartBody("multipart/form-data", body);
        EXPECT_FALSE(form.ok()) << what;
        EXPECT_TRUE(form.parts.empty()) << what;
    }
    std::string many;
    for (std::size_t i = 0; i <= kMaxMultipartParts; ++i)
        many += d + "\r\nContent-Disposition: form-data; name=\"p\"\r\n\r\nv\r\n";
    many += d + "--";
    EXPECT_FALSE(ParseMultipartBody("multipart/form-data", many).ok());
}

}  // namespace
}  // namespace demo::testing
