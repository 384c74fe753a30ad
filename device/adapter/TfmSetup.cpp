#include "device/adapter/TfmSetup.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include "device/adapter/BoxSettingsFile.h"
#include "device/adapter/DrawBox.h"
#include "device/adapter/DvsSettings.h"
#include "device/adapter/PendrelMessageBox.h"
#include "device/adapter/SetupTexts.h"

namespace pendrel {

namespace {

// The designed layout: the voltage group on top, Panel1 below it, the log last.
constexpr int kGroupBox1Height = 200;
constexpr int kPanel1Height = 64;
constexpr int kDesignedLogHeight = 155;  // 200 + 64 + 155 = 419
constexpr int kOffHookSamples = 5;
constexpr int kAllSamples = 10;

QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}

bool AskWithQuestionBox(const QString& caption, const QString& text) {
    return QMessageBox::question(nullptr, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

QLineEdit* ReadOnlyField(QWidget* parent, const char* name, int y) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setGeometry(112, y, 56, 22);
    return e;
}

QLabel* FieldLabel(QWidget* parent, const char* name, int y) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(10, y, 100, 22);
    return l;
}

}  // namespace

TfmSetup::TfmSetup(TSetupHost& host) : host_(&host), confirm_(AskWithQuestionBox) {
    setObjectName("fmSetup");
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();

    logHeight_ = moLog_->height();
    toggleLog();
    cbAGC_->setChecked(host_->agcSetting());
    btnSave_->hide();
    eVol_->setText(QString::number(ReadHookOffVoltage()));
}

TfmSetup::~TfmSetup() = default;

void TfmSetup::buildControls() {
    groupBox1_ = new QGroupBox(this);
    groupBox1_->setObjectName("GroupBox1");
    groupBox1_->setGeometry(0, 0, kClientWidth, kGroupBox1Height);
    lbVol_ = FieldLabel(groupBox1_, "lbVol", 24);
    eVol_ = ReadOnlyField(groupBox1_, "eVol", 24);
    lbVOffhook_ = FieldLabel(groupBox1_, "lbVOffhook", 56);
    eVOffhook_ = ReadOnlyField(groupBox1_, "eVOffhook", 56);
    lbVOnHook_ = FieldLabel(groupBox1_, "lbVOnHook", 88);
    eVOnHook_ = ReadOnlyField(groupBox1_, "eVOnHook", 88);
    lbVolNew_ = FieldLabel(groupBox1_, "lbVolNew", 120);
    eVolNew_ = ReadOnlyField(groupBox1_, "eVolNew", 120);
    drawBox_ = new TDrawBox(groupBox1_);
    drawBox_->setGeometry(180, 20, 233, 170);
    drawBox_->fill(kPlotBackground);
    btnTest_ = new QPushButton(groupBox1_);
    btnTest_->setObjectName("btnTest");
    btnTest_->setGeometry(10, 158, 76, 28);
    btnSave_ = new QPushButton(groupBox1_);
    btnSave_->setObjectName("btnSave");
    btnSave_->setGeometry(92, 158, 76, 28);

    panel1_ = new QFrame(this);
    panel1_->setObjectName("Panel1");
    panel1_->setGeometry(0, kGroupBox1Height, kClientWidth, kPanel1Height);
    groupBox2_ = new QGroupBox(QStringLiteral("AGC"), panel1_);
    groupBox2_->setObjectName("GroupBox2");
    groupBox2_->setGeometry(6, 4, 140, 56);
    cbAGC_ = new QCheckBox(groupBox2_);
    cbAGC_->setObjectName("cbAGC");
    cbAGC_->setGeometry(10, 24, 124, 22);
    groupBox3_ = new QGroupBox(panel1_);
    groupBox3_->setObjectName("GroupBox3");
    groupBox3_->setGeometry(152, 4, 265, 56);
    cbLog_ = new QCheckBox(groupBox3_);
    cbLog_->setObjectName("cbLog");
    cbLog_->setGeometry(10, 24, 160, 22);
    btnShowLog_ = new QPushButton(groupBox3_);
    btnShowLog_->setObjectName("btnShowLog");
    btnShowLog_->setGeometry(178, 20, 78, 28);

    moLog_ = new QPlainTextEdit(this);
    moLog_->setObjectName("moLog");
    moLog_->setReadOnly(true);
    moLog_->setLineWrapMode(QPlainTextEdit::NoWrap);
    moLog_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    moLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    moLog_->setGeometry(0, kGroupBox1Height + kPanel1Height, kClientWidth, kDesignedLogHeight);
    logMenu_ = new QMenu(moLog_);
    QAction* clear = logMenu_->addAction(QString::fromUtf8("清除"));
    clear->setObjectName("N1");
    connect(clear, &QAction::triggered, moLog_, &QPlainTextEdit::clear);
    moLog_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(moLog_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { logMenu_->popup(moLog_->mapToGlobal(at)); });

    connect(btnTest_, &QPushButton::clicked, this, [this] { runMeasurement(); });
    connect(btnSave_, &QPushButton::clicked, this, [this] { saveSuggestion(); });
    connect(btnShowLog_, &QPushButton::clicked, this, [this] { toggleLog(); });
    connect(cbAGC_, &QCheckBox::clicked, this, [this](bool checked) { onAgcClicked(checked); });

    setFixedSize(kClientWidth, kGroupBox1Height + kPanel1Height + kDesignedLogHeight);
}

void TfmSetup::setLang(int lang) {
    if (lang == lang_) {
        return;
    }
    lang_ = lang;
    const TSetupTexts& t = SetupTexts(lang);
    const QString family = Utf8(t.fontFamily);
    auto setFamily = [&family](QWidget* w) {
        QFont f = w->font();
        f.setFamily(family);
        w->setFont(f);
    };
    for (QWidget* w : findChildren<QLabel*>()) {
        setFamily(w);
    }
    for (QWidget* w : findChildren<QGroupBox*>()) {
        setFamily(w);
    }
    for (QWidget* w : findChildren<QCheckBox*>()) {
        setFamily(w);
    }
    for (QWidget* w : findChildren<QPushButton*>()) {
        setFamily(w);
    }
    setWindowTitle(Utf8(t.caption));
    groupBox1_->setTitle(Utf8(t.voltageGroup));
    lbVol_->setText(Utf8(t.currentLabel));
    lbVOffhook_->setText(Utf8(t.offHookLabel));
    lbVOnHook_->setText(Utf8(t.onHookLabel));
    lbVolNew_->setText(Utf8(t.suggestedLabel));
    btnTest_->setText(Utf8(t.testButton));
    btnSave_->setText(Utf8(t.saveButton));
    cbAGC_->setText(Utf8(t.agcBox));
    groupBox3_->setTitle(Utf8(t.logGroup));
    cbLog_->setText(Utf8(t.logBox));
    btnShowLog_->setText(Utf8(logShown() ? t.showLogOpenText : t.showLogClosedText));
}

int TfmSetup::heightWithoutLog() const {
    return panel1_->height() + groupBox1_->height();
}

void TfmSetup::toggleLog() {
    const bool show = logTag_ == 1;
    logTag_ = 1 - logTag_;
    const TSetupTexts& t = SetupTexts(lang_);
    if (show) {
        btnShowLog_->setText(Utf8(t.showLogOpenText));
        moLog_->show();
        setFixedSize(kClientWidth, heightWithoutLog() + logHeight_);
    } else {
        btnShowLog_->setText(Utf8(t.showLogClosedText));
        moLog_->hide();
        setFixedSize(kClientWidth, heightWithoutLog());
    }
}

void TfmSetup::setAgcBox(bool on) {
    cbAGC_->setChecked(on);
}

void TfmSetup::onAgcClicked(bool checked) {
    if (host_ == nullptr || checked == host_->agcSetting()) {
        return;
    }
    if (!host_->changeAgc(checked)) {
        ShowPendrelMessage("AGC: " + DvsSettingsFile() + " cannot be written");
    }
}

bool TfmSetup::deviceLogEnabled() const {
    return cbLog_->isChecked();
}

void TfmSetup::addLogLine(const std::string& line) {
    moLog_->appendPlainText(QString::fromUtf8(line));
}

void TfmSetup::showPanel() {
    if (host_ != nullptr) {
        cbAGC_->setChecked(host_->agcSetting());
    }
    btnSave_->hide();
    show();
    raise();
    activateWindow();
}

void TfmSetup::showEvent(QShowEvent* event) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TfmSetup::voltageSample(int value) {
    const int limit = phase_ == 0 ? kOffHookSamples : phase_ == 1 ? kAllSamples : 0;
    if (count_ >= limit) {
        return;
    }
    samples_[count_] = value;
    drawBox_->plotSample(count_, value, count_ > 0 ? samples_[count_ - 1] : 0);
    ++count_;
}

bool TfmSetup::confirm(const char* caption, const char* text) {
    return confirm_ ? confirm_(Utf8(caption), Utf8(text)) : false;
}

bool TfmSetup::waitForSamples(int target) {
    QElapsedTimer started;
    started.start();
    QPointer<TfmSetup> alive(this);
    while (count_ < target && started.elapsed() / 1000 < kPhaseMilliseconds / 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (alive.isNull() || host_ == nullptr) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

void TfmSetup::runMeasurement() {
    if (measuring_ || host_ == nullptr) {
        return;
    }
    QPointer<TfmSetup> alive(this);
    measuring_ = true;
    btnTest_->setEnabled(false);
    btnSave_->hide();
    drawBox_->fill(kPlotBackground);
    count_ = 0;
    phase_ = -1;
    const TSetupTexts& t = SetupTexts(lang_);

    auto finish = [this, &alive] {
        if (alive.isNull()) {
            return;
        }
        phase_ = -1;
        measuring_ = false;
        btnTest_->setEnabled(true);
    };
    auto stillAttached = [this, &alive] { return !alive.isNull() && host_ != nullptr; };

    if (!confirm(t.offHookConfirmCaption, t.offHookConfirmText) || !stillAttached()) {
        finish();
        return;
    }
    host_->startReadLineVoltage();
    phase_ = 0;
    const bool offHookDone = waitForSamples(kOffHookSamples);
    if (!offHookDone) {
        finish();
        return;
    }
    host_->stopReadLineVoltage();
    eVOffhook_->setText(
        QString::number((samples_[0] + samples_[1] + samples_[2] + samples_[3] + samples_[4]) / 5));
    phase_ = -1;

    if (!confirm(t.onHookConfirmCaption, t.onHookConfirmText) || !stillAttached()) {
        finish();
        return;
    }
    host_->startReadLineVoltage();
    phase_ = 1;
    if (!waitForSamples(kAllSamples)) {
        finish();
        return;
    }
    host_->stopReadLineVoltage();
    eVOnHook_->setText(
        QString::number((samples_[5] + samples_[6] + samples_[7] + samples_[8] + samples_[9]) / 5));
    int sum = 0;
    for (int v : samples_) {
        sum += v;
    }
    suggested_ = sum / kAllSamples;
    eVolNew_->setText(QString::number(suggested_));
    btnSave_->show();
    finish();
}

void TfmSetup::saveSuggestion() {
    if (WriteHookOffVoltage(suggested_)) {
        eVol_->setText(QString::number(suggested_));
    } else {
        ShowPendrelMessage(BoxSettingsFile() + " cannot be written");
    }
}

void TfmSetup::detachHost() {
    host_ = nullptr;
}

}  // namespace pendrel
