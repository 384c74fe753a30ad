#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <cstdio>

namespace platform {

void QtMessageBox::show(const std::string& text, const std::string& caption) {
    QCoreApplication* app = QCoreApplication::instance();
    const QString t = QString::fromStdString(text);
    const QString c = QString::fromStdString(caption);
    auto showBox = [t, c] { QMessageBox::information(nullptr, c, t); };
    if (!qobject_cast<QApplication*>(app)) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());  // no widgets here
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        showBox();
    } else {
        QMetaObject::invokeMethod(app, showBox, Qt::QueuedConnection);
    }
}

}  // namespace platform
