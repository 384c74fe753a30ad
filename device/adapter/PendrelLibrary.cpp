#include "device/adapter/PendrelLibrary.h"

#include <QApplication>
#include <QThread>
#include <cstdlib>
#include <exception>
#include <string>

#include "device/adapter/NotifyBridge.h"
#include "device/adapter/PendrelMessageBox.h"
#include "device/adapter/TfmSetup.h"
#include "device/caubox/CAUBox.h"

namespace pendrel {

namespace {

// The magnitude of the box's error code as a 16-bit status; never 0 for an error.
std::int16_t OpenStatus(std::int32_t r) {
    if (r == 0) {
        return 0;
    }
    const std::int64_t magnitude = r < 0 ? -static_cast<std::int64_t>(r) : r;
    const auto status = static_cast<std::uint16_t>(magnitude & 0xFFFF);
    return static_cast<std::int16_t>(status != 0 ? status : 0xFFFF);
}

// Deletes now on the object's own thread when it is not busy, else later.
void Dispose(QObject* object, bool busy) {
    if (object == nullptr) {
        return;
    }
    if (busy || QThread::currentThread() != object->thread()) {
        object->deleteLater();
    } else {
        delete object;
    }
}

}  // namespace

TPendrelLibrary& PendrelLibrary() {
    static TPendrelLibrary library;
    return library;
}

void TPendrelLibrary::createReceiverAndDialog() {
    receiver_ = new TNotifyReceiver([this](const TNotifyBlock& block) { adapter_.handle(block); });
    // The dialog is a window: only on the user-interface thread of a widget application.
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app != nullptr && QThread::currentThread() == app->thread()) {
        dialog_ = new TfmSetup(adapter_);
        adapter_.setPanel(dialog_);
        dialog_->setLang(adapter_.lang());
    }
}

void TPendrelLibrary::destroyReceiverAndDialog() {
    AttachNotifyReceiver(nullptr);
    adapter_.setPanel(nullptr);
    if (dialog_ != nullptr) {
        dialog_->detachHost();
        dialog_->hide();
        // A running measurement is still on the stack; it ends at its next step.
        Dispose(dialog_, dialog_->isMeasuring());
        dialog_ = nullptr;
    }
    if (receiver_ != nullptr) {
        // Closed from inside the client's callback: the receiver is still dispatching.
        Dispose(receiver_, receiver_->dispatching());
        receiver_ = nullptr;
    }
}

std::int16_t TPendrelLibrary::open(VD_EventCallback callback) {
    if (QCoreApplication::instance() == nullptr) {
        ShowPendrelMessage("OpenDev:no Qt application object in this process");
        return kOpenFailed;
    }
    if (opened_ || receiver_ != nullptr) {
        close();  // a second open starts afresh
    }
    try {
        adapter_.beginOpen(callback);
        createReceiverAndDialog();
        // The receiver is attached before the box opens, so every notification finds it.
        AttachNotifyReceiver(receiver_);
        const std::int16_t status = OpenStatus(ubox_open(PendrelBoxNotify, 0));
        if (status != 0) {
            ShowPendrelMessage("设备驱动:OPEN失败");
            adapter_.close();
            destroyReceiverAndDialog();
            return status;
        }
        opened_ = true;
        // AGC reaches the box at its plug-in report; there is no box handle yet.
        adapter_.completeOpen();
        return 0;
    } catch (const std::exception& e) {
        ShowPendrelMessage(std::string("OpenDev:") + e.what());
    } catch (...) {
        ShowPendrelMessage("OpenDev:unknown error");
    }
    adapter_.close();
    destroyReceiverAndDialog();
    if (opened_) {
        ubox_close();
        opened_ = false;
    }
    return kOpenFailed;
}

bool TPendrelLibrary::close() {
    const bool wasOpen = opened_;
    adapter_.close();  // the callback goes first: nothing queued reaches the client
    destroyReceiverAndDialog();
    if (opened_) {
        ubox_close();
        opened_ = false;
    }
    return wasOpen;
}

bool TPendrelLibrary::show() {
    if (dialog_ == nullptr) {
        return false;
    }
    dialog_->showPanel();
    return true;
}

}  // namespace pendrel
