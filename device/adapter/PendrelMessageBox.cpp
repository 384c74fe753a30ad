#include "device/adapter/PendrelMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pendrel {

namespace {

constexpr char kCaption[] = "Pendrel";

void ShowBox(const std::string& text) {
    QMessageBox::warning(nullptr, QString::fromUtf8(kCaption), QString::fromUtf8(text));
}

}  // namespace

bool MessageBoxesSuppressed() {
    const char* v = std::getenv("PENDREL_NO_MESSAGE_BOX");
    return v != nullptr && v[0] != '\0' && std::strcmp(v, "0") != 0;
}

void ShowPendrelMessage(const std::string& text, QObject* context) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || MessageBoxesSuppressed()) {
        std::fprintf(stderr, "%s: %s\n", kCaption, text.c_str());
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        ShowBox(text);
        return;
    }
    QObject* target = context != nullptr && context->thread() == app->thread() ? context : app;
    QMetaObject::invokeMethod(
        target, [text] { ShowBox(text); }, Qt::QueuedConnection);
}

}  // namespace pendrel
