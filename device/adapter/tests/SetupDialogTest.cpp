// The setup dialog on its own, over the adapter object, with the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <vector>

#include "device/adapter/DrawBox.h"
#include "device/adapter/TfmSetup.h"
#include "device/adapter/UBoxAdapter.h"
#include "device/adapter/VoltagePlot.h"
#include "device/adapter/tests/PendrelTestSupport.h"

namespace pendrel_test {
namespace {

using pendrel::TfmSetup;

constexpr int kHeightWithLog = 419;
constexpr int kHeightWithoutLog = 264;

struct Confirmation {
    QString caption;
    QString text;
};

class PendrelSetupDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureWidgetApplication(); }

    void SetUp() override { Recreate(); }

    void Recreate() {
        dialog_.reset();
        dialog_ = std::make_unique<TfmSetup>(adapter_);
        dialog_->setLang(1);
    }

    // Answers the confirmation boxes in turn; after an OK the samples of that
    // phase arrive as messages while the measurement waits.
    void Answer(std::vector<bool> answers, std::vector<std::vector<int>> samples) {
        answers_ = std::move(answers);
        samples_ = std::move(samples);
        dialog_->setConfirmation([this](const QString& caption, const QString& text) {
            const std::size_t step = asked_.size();
            asked_.push_back({caption, text});
            const bool ok = step < answers_.size() && answers_[step];
            const std::vector<int> phase =
                step < samples_.size() ? samples_[step] : std::vector<int>{};
            QTimer::singleShot(0, dialog_.get(), [this, phase] {
                for (int v : phase) {
                    dialog_->voltageSample(v);
                }
            });
            return ok;
        });
    }

    template <typename W>
    W* Child(const char* name) {
        W* w = dialog_->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string Text(const char* lineEdit) {
        return Child<QLineEdit>(lineEdit)->text().toStdString();
    }
    pendrel::TDrawBox* DrawBox() {
        return dynamic_cast<pendrel::TDrawBox*>(Child<QWidget>("DrawBox"));
    }

    TestFolder folder_;
    pendrel::TUBoxAdapter adapter_;
    std::unique_ptr<TfmSetup> dialog_;
    std::vector<bool> answers_;
    std::vector<std::vector<int>> samples_;
    std::vector<Confirmation> asked_;
};

TEST_F(PendrelSetupDialogTest, StartsWithTheLogHiddenAndTheFileSetting) {
    EXPECT_EQ(Text("eVol"), "18");  // no phonic_ubox.ini yet
    EXPECT_TRUE(Child<QPushButton>("btnSave")->isHidden());
    EXPECT_TRUE(Child<QPlainTextEdit>("moLog")->isHidden());
    EXPECT_FALSE(dialog_->logShown());
    EXPECT_EQ(dialog_->height(), kHeightWithoutLog);
    EXPECT_EQ(dialog_->width(), TfmSetup::kClientWidth);
    EXPECT_TRUE(Child<QCheckBox>("cbAGC")->isChecked());  // AGC on by default

    WriteFile(folder_.file("phonic_ubox.ini"), "[Device]\nHook_Off_Voltage=23\n");
    Recreate();
    EXPECT_EQ(Text("eVol"), "23");
}

TEST_F(PendrelSetupDialogTest, MeasurementAveragesBothPhasesAndSuggests) {
    // Samples past five in the off-hook phase, or past ten in all, are not kept.
    Answer({true, true}, {{10, 12, 14, 16, 18, 99}, {40, 42, 44, 46, 48, 99}});
    dialog_->runMeasurement();
    ASSERT_EQ(asked_.size(), 2u);
    EXPECT_EQ(Text("eVOffhook"), "14");
    EXPECT_EQ(Text("eVOnHook"), "44");
    EXPECT_EQ(Text("eVolNew"), "29");
    EXPECT_EQ(dialog_->suggestedValue(), 29);
    EXPECT_EQ(dialog_->samples(), (std::array<int, 10>{10, 12, 14, 16, 18, 40, 42, 44, 46, 48}));
    EXPECT_EQ(dialog_->sampleCount(), 10);
    EXPECT_EQ(dialog_->phase(), -1);
    EXPECT_FALSE(Child<QPushButton>("btnSave")->isHidden());
    EXPECT_TRUE(Child<QPushButton>("btnTest")->isEnabled());

    // Outside a measurement, samples are ignored.
    dialog_->voltageSample(7);
    EXPECT_EQ(dialog_->sampleCount(), 10);
}

TEST_F(PendrelSetupDialogTest, AShortOffHookPhaseLeavesOldSlotsAndTheCountRunsOn) {
    Answer({true, true}, {{10, 12, 14, 16, 18}, {40, 42, 44, 46, 48}});
    dialog_->runMeasurement();
    asked_.clear();
    // Three off-hook samples, then the phase runs out of time; the on-hook
    // samples fill slots 3 to 9. The averages still divide by 5 and 10.
    Answer({true, true}, {{1, 2, 3}, {4, 5, 6, 7, 8, 9, 10}});
    dialog_->runMeasurement();
    EXPECT_EQ(dialog_->samples(), (std::array<int, 10>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(Text("eVOffhook"), "8");  // (1 + 2 + 3 + 16 + 18) / 5, slots 3 and 4 from before
    EXPECT_EQ(Text("eVOnHook"), "8");   // (6 + 7 + 8 + 9 + 10) / 5
    EXPECT_EQ(Text("eVolNew"), "5");    // 55 / 10
}

TEST_F(PendrelSetupDialogTest, CancelLeavesEverythingAsItWas) {
    struct Case {
        std::vector<bool> answers;
        const char* offHook;
        std::size_t asked;
    };
    const Case cases[] = {
        {{false}, "", 1}, {{true, false}, "14", 2},  // the off-hook phase has run
    };
    for (const Case& c : cases) {
        Recreate();
        asked_.clear();
        Answer(c.answers, {{10, 12, 14, 16, 18}, {40, 42, 44, 46, 48}});
        dialog_->runMeasurement();
        RunFor(std::chrono::milliseconds(20));  // samples that come after a cancel
        EXPECT_EQ(asked_.size(), c.asked);
        EXPECT_EQ(Text("eVol"), "18");
        EXPECT_EQ(Text("eVOffhook"), c.offHook);
        EXPECT_EQ(Text("eVOnHook"), "");
        EXPECT_EQ(Text("eVolNew"), "");
        EXPECT_TRUE(Child<QPushButton>("btnSave")->isHidden());
        EXPECT_FALSE(std::filesystem::exists(folder_.file("phonic_ubox.ini")));
        EXPECT_EQ(dialog_->phase(), -1);
    }
}

TEST_F(PendrelSetupDialogTest, SaveWritesTheSuggestionToTheBoxSettingsFile) {
    Answer({true, true}, {{10, 12, 14, 16, 18}, {40, 42, 44, 46, 48}});
    dialog_->runMeasurement();
    Child<QPushButton>("btnSave")->click();
    EXPECT_EQ(ReadFile(folder_.file("phonic_ubox.ini")), "[device]\nhook_off_voltage=29\n");
    EXPECT_EQ(Text("eVol"), "29");
    Recreate();
    EXPECT_EQ(Text("eVol"), "29");
}

TEST_F(PendrelSetupDialogTest, LanguagesSetTextsAndFonts) {
    struct Case {
        int lang;
        const char* caption;
        const char* group1;
        const char* offHookLabel;
        const char* test;
        const char* agc;
        const char* logBox;
        const char* logHidden;
        const char* logShown;
        const char* font;
        const char* confirmCaption;
        const char* confirmText;
    };
    const Case cases[] = {
        {2, "Virtual Device of Mini-USB", "Volumn set", "Offhook volumn", "Start detect",
         "Enable AGC", "Enable device log", "View", "Close", "Arial", "Detect offhook volumn",
         "Please keep offhook, click [OK] to start."},
        {3, "迷你USB虛設備", "電壓設平", "摘機電平", "開始檢測", "啟動AGC", "記錄設備日誌",
         "查  看", "關  閉", "MS Sans Serif", "检测摘机电平", "請保持電話摘機，點確定開始檢測。"},
        {1, "QX USB虚设备(Velnorix电讯)", "电压设置", "摘机电压", "开始检测", "启动AGC",
         "记录设备日志", "查  看", "关  闭", "MS Sans Serif", "检测摘机电平",
         "请保持电话摘机,点确定开始检测!"},
    };
    for (const Case& c : cases) {
        dialog_->setLang(c.lang);
        EXPECT_EQ(dialog_->windowTitle().toStdString(), c.caption);
        EXPECT_EQ(Child<QGroupBox>("GroupBox1")->title().toStdString(), c.group1);
        EXPECT_EQ(Child<QLabel>("lbVOffhook")->text().toStdString(), c.offHookLabel);
        EXPECT_EQ(Child<QPushButton>("btnTest")->text().toStdString(), c.test);
        EXPECT_EQ(Child<QCheckBox>("cbAGC")->text().toStdString(), c.agc);
        EXPECT_EQ(Child<QCheckBox>("cbLog")->text().toStdString(), c.logBox);
        EXPECT_EQ(Child<QPushButton>("btnShowLog")->text().toStdString(), c.logHidden);
        for (const char* name : {"lbVol", "GroupBox3", "cbLog", "btnSave", "GroupBox2"}) {
            EXPECT_EQ(Child<QWidget>(name)->font().family().toStdString(), c.font)
                << c.lang << " " << name;
        }
        Child<QPushButton>("btnShowLog")->click();
        EXPECT_EQ(Child<QPushButton>("btnShowLog")->text().toStdString(), c.logShown);
        Child<QPushButton>("btnShowLog")->click();

        asked_.clear();
        Answer({false}, {});
        dialog_->runMeasurement();
        ASSERT_EQ(asked_.size(), 1u);
        EXPECT_EQ(asked_[0].caption.toStdString(), c.confirmCaption);
        EXPECT_EQ(asked_[0].text.toStdString(), c.confirmText);
    }
}

TEST_F(PendrelSetupDialogTest, ShowLogTogglesTheLogAndTheHeight) {
    auto* button = Child<QPushButton>("btnShowLog");
    auto* log = Child<QPlainTextEdit>("moLog");
    button->click();
    EXPECT_TRUE(dialog_->logShown());
    EXPECT_FALSE(log->isHidden());
    EXPECT_EQ(dialog_->height(), kHeightWithLog);
    EXPECT_EQ(button->text().toStdString(), "关  闭");
    button->click();
    EXPECT_TRUE(log->isHidden());
    EXPECT_EQ(dialog_->height(), kHeightWithoutLog);
    EXPECT_EQ(button->text().toStdString(), "查  看");
}

TEST_F(PendrelSetupDialogTest, ClearEmptiesTheLog) {
    dialog_->addLogLine("CallerID:123");
    dialog_->addLogLine("Play a.wav -> 0");
    EXPECT_EQ(Child<QPlainTextEdit>("moLog")->toPlainText(), "CallerID:123\nPlay a.wav -> 0");
    Child<QAction>("N1")->trigger();
    EXPECT_EQ(Child<QPlainTextEdit>("moLog")->toPlainText(), "");
}

TEST(PendrelVoltagePlot, PointsUseIntegerArithmetic) {
    struct Case {
        int index, value, width, height;
        pendrel::TPlotPoint point;
    };
    const Case cases[] = {
        {0, 55, 233, 170, {21, 10}},   // 55: ten pixels below the top
        {1, 0, 233, 170, {42, 170}},   // 0: the bottom edge
        {9, 28, 233, 170, {211, 89}},  // 170 - 160 * 28 / 55 = 170 - 81
        {4, 1, 110, 60, {50, 60}},     // 50 / 55 truncates to 0
        {5, 110, 110, 60, {60, -40}},  // above the top for values over 55
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pendrel::PlotPointOf(c.index, c.value, c.width, c.height), c.point)
            << c.index << " " << c.value;
    }
}

TEST_F(PendrelSetupDialogTest, PlotDrawsRedPointsAndLimeLinesOnNavy) {
    Answer({true, false}, {{55, 0, 20, 20, 20}});
    dialog_->runMeasurement();
    const QImage& canvas = DrawBox()->canvas();
    const int w = canvas.width();
    const int h = canvas.height();
    const QRgb red = pendrel::kPlotPoint.rgb();
    const QRgb navy = pendrel::kPlotBackground.rgb();
    const QRgb lime = pendrel::kPlotLine.rgb();
    const int x0 = w * 1 / 11;
    const int x1 = w * 2 / 11;
    // 55; the line to the next point starts at its centre.
    EXPECT_EQ(canvas.pixel(x0, 10), lime);
    EXPECT_EQ(canvas.pixel(x0 - 2, 8), red);
    EXPECT_EQ(canvas.pixel(x0 - 1, 10), red);
    EXPECT_EQ(canvas.pixel(x0 + 1, 11), red);
    EXPECT_EQ(canvas.pixel(x0 - 3, 10), navy);
    EXPECT_EQ(canvas.pixel(x0 - 2, 7), navy);
    // 0: on the bottom edge, the square's lower half cut off.
    EXPECT_EQ(canvas.pixel(x1 - 2, h - 1), red);
    EXPECT_EQ(canvas.pixel(x1 - 1, h - 2), red);
    EXPECT_EQ(canvas.pixel(x1, h - 3), navy);
    EXPECT_EQ(canvas.pixel(2, 2), navy);
    bool limeBetween = false;
    const int midRow = (10 + h) / 2;
    for (int x = x0; x <= x1; ++x) {
        limeBetween = limeBetween || canvas.pixel(x, midRow) == lime;
    }
    EXPECT_TRUE(limeBetween);
    // A new measurement starts on a clean navy plot.
    Answer({false}, {});
    dialog_->runMeasurement();
    EXPECT_EQ(DrawBox()->canvas().pixel(x0 - 2, 8), navy);
}

TEST_F(PendrelSetupDialogTest, AgcBoxStoresTheSetting) {
    auto* agc = Child<QCheckBox>("cbAGC");
    agc->click();
    EXPECT_FALSE(adapter_.agcSetting());
    EXPECT_EQ(ReadFile(folder_.dvsFile()), "[DVS]\nAGC=0\n");
    agc->click();
    EXPECT_TRUE(adapter_.agcSetting());
    EXPECT_EQ(ReadFile(folder_.dvsFile()), "[DVS]\nAGC=1\n");

    // A store that cannot be written: the user is told; the box follows the box.
    std::filesystem::remove_all(folder_.configHome());
    WriteFile(folder_.configHome(), "a file, not a folder");
    testing::internal::CaptureStderr();
    agc->click();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot be written"), std::string::npos) << said;
    EXPECT_FALSE(adapter_.agcSetting());
}

TEST_F(PendrelSetupDialogTest, ClosingOnlyHides) {
    dialog_->showPanel();
    EXPECT_TRUE(dialog_->isVisible());
    dialog_->close();
    EXPECT_FALSE(dialog_->isVisible());
    dialog_->showPanel();
    EXPECT_TRUE(dialog_->isVisible());
}

}  // namespace
}  // namespace pendrel_test
