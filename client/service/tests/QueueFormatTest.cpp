// The journal lines, the one-element record form and the date-time text of
// the queue files.
#include <gtest/gtest.h>

#include "client/service/QueueFileXml.h"
#include "client/service/RecordFields.h"
#include "client/service/RecordJournal.h"
#include "client/service/tests/UploadTestSupport.h"
#include "tests/support/TempDir.h"

TEST(QueueFormatTest, RecordsWithAwkwardTextSurviveTheJournalForm) {
    const std::string values[] = {
        "line\nbreak\r\n",
        "tab\there",
        "<>&\"'",
        "张三",
        std::string("bad\xff\xfeutf8"),
        std::string("ctl\x01\x1f", 5),
        "",
        std::string(100000, 'x'),
    };
    for (const auto& value : values) {
        TTalkInfo t = servicetest::MakeTalk(1);
        t.CompanyName = value;
        const std::string line = FieldToXmlText(TalkInfoAttributes(t));
        EXPECT_EQ(line.find('\n'), std::string::npos);
        TFieldValues fields;
        std::string error;
        ASSERT_TRUE(FieldFromXmlText(line, fields, error)) << error;
        TTalkInfo back;
        ASSERT_TRUE(TalkInfoFromFields(fields, back, error)) << error;
        EXPECT_EQ(back.CompanyName, XmlSafeText(value));
        t.CompanyName = back.CompanyName;
        EXPECT_EQ(back, t);
    }
    EXPECT_EQ(XmlSafeText(std::string("a\x01z", 3)), "a\xEF\xBF\xBDz");
}

TEST(QueueFormatTest, JournalReplaySkipsDamagedLinesAndDeliveredRecords) {
    testsupport::TempDir dir;
    const std::string path = dir.file("j");
    std::string content = TRecordJournal::FormatLine('A', 1, "<Field a=\"1\"/>") +
                          TRecordJournal::FormatLine('A', 2, "<Field a=\"2\"/>") +
                          TRecordJournal::FormatLine('D', 1, "");
    std::string damaged = TRecordJournal::FormatLine('A', 3, "<Field a=\"3\"/>");
    damaged[damaged.size() - 3] = 'X';  // a flipped byte
    content += damaged + "garbage line\n" + TRecordJournal::FormatLine('A', 4, "four") +
               TRecordJournal::FormatLine('A', 4, "four again") + "A 5 1234";  // torn tail
    testsupport::WriteFile(path, content);
    const TJournalReplay replay = TRecordJournal::Replay(path);
    ASSERT_TRUE(replay.opened);
    ASSERT_EQ(replay.pending.size(), 2u);
    EXPECT_EQ(replay.pending[0].id, 2u);
    EXPECT_EQ(replay.pending[1].payload, "four");
    EXPECT_EQ(replay.damagedLines, 3);
    EXPECT_EQ(replay.maxId, 4u);
    EXPECT_FALSE(TRecordJournal::Replay(dir.file("missing")).opened);
}

TEST(QueueFormatTest, DateTimeTextsOfTheQueueFiles) {
    struct Case {
        const char* text;
        bool ok;
        platform::DateTime expected;
    };
    const Case cases[] = {
        {"2024-03-15 09:30:12", true, {2024, 3, 15, 9, 30, 12, 0}},
        {"2024/3/15 9:30:12", true, {2024, 3, 15, 9, 30, 12, 0}},
        {"2024-03-15 09:30:12.047", true, {2024, 3, 15, 9, 30, 12, 47}},
        {"2024-03-15", true, {2024, 3, 15, 0, 0, 0, 0}},
        {"2024-02-29 00:00:00", true, {2024, 2, 29, 0, 0, 0, 0}},
        {"2023-02-29 00:00:00", false, {}},
        {"2024-13-01 00:00:00", false, {}},
        {"2024-03-15 24:00:00", false, {}},
        {"2024-03/15 09:30:12", false, {}},
        {"2024-03-15 09:30", false, {}},
        {"99999-01-01", false, {}},
        {"15.03.2024 09:30:12", false, {}},
        {"", false, {}},
        {"2024-03-15 09:30:12 ", true, {2024, 3, 15, 9, 30, 12, 0}},
        {"2024-03-15 09:30:12x", false, {}},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseQueueDateTime(c.text);
        EXPECT_EQ(parsed.has_value(), c.ok) << c.text;
        if (c.ok && parsed) {
            EXPECT_EQ(*parsed, c.expected) << c.text;
        }
    }
    EXPECT_EQ(QueueDateTimeText({2024, 3, 5, 9, 3, 2, 999}), "2024-03-05 09:03:02");
}
