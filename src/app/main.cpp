// Program start: the application object, then the main window, then the message loop.
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "language/Interface.h"
#include "platform/Catalogue.h"

#include <QDeadlineTimer>
#include <QMessageLogContext>
#include <QPixmap>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// Without a display Qt ends the program with advice about reinstalling it. Said plainly instead:
// a desktop session is what is missing. A platform chosen on purpose (QT_QPA_PLATFORM, or
// -platform on the command line, e.g. offscreen) is left to Qt.
bool HasDisplay(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

constexpr const char* kNoDisplay = "Quillmate needs a graphical desktop session: ";

// While the application object connects to the display, Qt's messages are held back: when the
// connection fails (a DISPLAY whose server is gone) one plain line replaces them.
std::vector<QString> g_heldMessages;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%scannot open the display (DISPLAY=%s, WAYLAND_DISPLAY=%s).\n",
                     kNoDisplay, qgetenv("DISPLAY").constData(),
                     qgetenv("WAYLAND_DISPLAY").constData());
        std::_Exit(1);
    }
    g_heldMessages.push_back(qFormatLogMessage(type, context, text));
}


// What --help prints; the manual page is made of it.
std::string Usage() {
    return qm::Tr("Quillmate",
                  "Quillmate - アーカイブで配布されるアプリケーションをインストールする\n"
                  "\n"
                  "  Quillmate [ARCHIVE]\n"
                  "      ウィンドウを開きます。ARCHIVE を指定すると、そのアーカイブを展開して\n"
                  "      インストール計画を表示します。以前にインストールしたアプリケーションの\n"
                  "      新しいバージョンは、そのアップデートになります。\n"
                  "  Quillmate --help\n"
                  "      この説明を表示します。\n"
                  "\n"
                  "グラフィカルなセッション (DISPLAY または WAYLAND_DISPLAY) が必要です。\n"
                  "端末からは quill が同じ仕事をします。インストールとアンインストールは\n"
                  "QuillInst と QuillUninst が行います。\n"
                  "\n"
                  "設定とデータベース: $XDG_DATA_HOME/Quillmate/ (既定 ~/.local/share/Quillmate/)\n"
                  "QUILLMATE_LANG=ja または en で表示の言語を選べます。\n");
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            qm::LoadInterfaceCatalogue();
            std::fputs(Usage().c_str(), stdout);
            return 0;
        }
    if (!HasDisplay(argc, argv)) {
        std::fprintf(stderr, "%sneither DISPLAY nor WAYLAND_DISPLAY is set.\n", kNoDisplay);
        return 1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(&HoldMessage);
    qm::TApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& held : g_heldMessages)
        std::fprintf(stderr, "%s\n", held.toLocal8Bit().constData());
    g_heldMessages.clear();
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    qm::TfrmMain window(arguments);
    window.show();
    const QString screenshot = qEnvironmentVariable("QUILLMATE_SCREENSHOT");
    if (!screenshot.isEmpty())
        ScheduleScreenshot(window, screenshot);
    return app.exec();
}
