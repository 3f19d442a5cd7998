// Program start: the application object, then the main window, then the message loop.
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"

#include <QDeadlineTimer>
#include <QPixmap>
#include <QTimer>
#include <QTreeView>

namespace {

// For the documentation's screenshot only: once the command-line archive is listed (or after
// a while without one) the window saves a picture of itself to this file and the program ends.
void ScheduleScreenshot(qm::TfrmMain& window, const QString& file) {
    auto* timer = new QTimer(&window);
    const QDeadlineTimer deadline(15000);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, timer, file, deadline] {
        if (window.lvFileModel->Count() == 0 && !deadline.hasExpired())
            return;
        timer->stop();
        window.lvFile->setFocus();
        window.lvFile->setCurrentIndex(window.lvFileModel->index(0, 0));
        QTimer::singleShot(500, &window, [&window, file] {
            const bool saved = window.grab().save(file, "PNG");
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
    timer->start(100);
}

} // namespace

int main(int argc, char** argv) {
    qm::TApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    qm::TfrmMain window(arguments);
    window.show();
    const QString screenshot = qEnvironmentVariable("QUILLMATE_SCREENSHOT");
    if (!screenshot.isEmpty())
        ScheduleScreenshot(window, screenshot);
    return app.exec();
}
