#include "mainwindow/ui/long_work_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <exception>
#include <thread>

namespace tw {
namespace {

class InputSwallower final : public QObject {
public:
    InputSwallower() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputSwallower() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
            event->ignore();
            return true;
        default:
            return event->isInputEvent();
        }
    }
};

} // namespace

void runKeepingWindowsPainted(const std::function<void()>& work,
                              const std::function<void()>& whileWaiting)
{
    if (!QCoreApplication::instance()) {
        work();
        return;
    }
    InputSwallower swallower;
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued, so a quit that comes before the loop has started still ends it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer ticks;
    if (whileWaiting) {
        QObject::connect(&ticks, &QTimer::timeout, whileWaiting);
        ticks.start(100);
    }
    loop.exec();
    ticks.stop();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tw
