// The line-voltage setup dialog: measures the line voltage off and on the
// hook and suggests a hook-off threshold, switches AGC, and keeps the device log.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "device/adapter/SetupLink.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace pendrel {

class TDrawBox;

class TfmSetup : public QDialog, public TSetupPanel {
  public:
    // Asks the user to confirm a measurement step; true for OK.
    using Confirmation = std::function<bool(const QString& caption, const QString& text)>;

    static constexpr int kClientWidth = 423;
    static constexpr int kPhaseMilliseconds = 5000;

    explicit TfmSetup(TSetupHost& host);
    ~TfmSetup() override;

    int lang() const { return lang_; }
    // The Lang property: retitles the dialog and sets the fonts.
    void setLang(int lang);

    // Replaces the question boxes of the measurement (tests answer them).
    void setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }

    // The measurement of btnTest; runs the user interface while it waits.
    void runMeasurement();
    bool isMeasuring() const { return measuring_; }
    // Stops using the adapter; a running measurement ends at its next step.
    void detachHost();

    int phase() const { return phase_; }
    int sampleCount() const { return count_; }
    const std::array<int, 10>& samples() const { return samples_; }
    int suggestedValue() const { return suggested_; }
    bool logShown() const { return logTag_ == 0; }

    // TSetupPanel
    void applyLang(int lang) override { setLang(lang); }
    void setAgcBox(bool on) override;
    void voltageSample(int value) override;
    bool deviceLogEnabled() const override;
    void addLogLine(const std::string& line) override;
    void showPanel() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void toggleLog();
    void onAgcClicked(bool checked);
    void saveSuggestion();
    // Lets the user interface run until `target` samples are in or the phase
    // time is over. False when the dialog was detached meanwhile.
    bool waitForSamples(int target);
    bool confirm(const char* caption, const char* text);
    int heightWithoutLog() const;

    TSetupHost* host_;
    Confirmation confirm_;
    int lang_ = 0;
    int logHeight_ = 0;
    int logTag_ = 0;
    int phase_ = -1;
    int count_ = 0;
    std::array<int, 10> samples_{};
    int suggested_ = 0;
    bool measuring_ = false;

    QGroupBox* groupBox1_ = nullptr;
    QLabel* lbVol_ = nullptr;
    QLabel* lbVOffhook_ = nullptr;
    QLabel* lbVOnHook_ = nullptr;
    QLabel* lbVolNew_ = nullptr;
    QLineEdit* eVol_ = nullptr;
    QLineEdit* eVOffhook_ = nullptr;
    QLineEdit* eVOnHook_ = nullptr;
    QLineEdit* eVolNew_ = nullptr;
    TDrawBox* drawBox_ = nullptr;
    QPushButton* btnTest_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QFrame* panel1_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QCheckBox* cbAGC_ = nullptr;
    QGroupBox* groupBox3_ = nullptr;
    QCheckBox* cbLog_ = nullptr;
    QPushButton* btnShowLog_ = nullptr;
    QPlainTextEdit* moLog_ = nullptr;
    QMenu* logMenu_ = nullptr;
};

}  // namespace pendrel
