#include "widgets/ChildWait.h"

#include "platform/FileSystem.h"
#include "platform/Process.h"

#include <QEventLoop>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace qm {

namespace {

// Calls check whenever the child may have ended: when its descriptor turns readable, or, on a
// system without such descriptors, at short intervals.
void WatchChild(TChildProcess& child, QEventLoop& loop, std::unique_ptr<QSocketNotifier>& notifier,
                QTimer& interval, const std::function<void()>& check) {
    if (child.WaitHandle() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(child.WaitHandle(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, check);
    } else {
        interval.setInterval(100);
        QObject::connect(&interval, &QTimer::timeout, &loop, check);
        interval.start();
    }
}

} // namespace

void WaitForChild(TChildProcess& child) {
    if (child.TryReap())
        return;
    QEventLoop loop;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer interval;
    WatchChild(child, loop, notifier, interval, [&] {
        if (child.TryReap())
            loop.quit();
    });
    QTimer::singleShot(0, &loop, [&] {
        if (child.TryReap())
            loop.quit();
    });
    loop.exec();
}

bool WaitForFileTaken(TChildProcess& child, const std::string& path, int timeoutMs) {
    if (!PathExists(path) || child.TryReap())
        return !PathExists(path);
    QEventLoop loop;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer interval;
    const auto check = [&] {
        if (!PathExists(path) || child.TryReap())
            loop.quit();
    };
    WatchChild(child, loop, notifier, interval, check);
    // The file goes by a rename in its folder, which the folder's watch reports.
    const std::size_t slash = path.rfind(PathDelim);
    QFileSystemWatcher watcher;
    if (slash != std::string::npos)
        watcher.addPath(QString::fromStdString(path.substr(0, slash + 1)));
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs >= 0)
        deadline.start(timeoutMs);
    QTimer::singleShot(0, &loop, check); // what happened while the watches were being set up
    loop.exec();
    return !PathExists(path);
}

} // namespace qm
