#include "app/Application.h"

#include "platform/FileSystem.h"
#include "widgets/Language.h"
#include "widgets/UiHooks.h"

#include <QSocketNotifier>

#include <csignal>
#include <stdexcept>

#include <sys/socket.h>
#include <unistd.h>

namespace qm {

namespace {

// The end of the session, kill and Ctrl+C in a terminal arrive as signals. Their default ends
// the process at once, leaving the working folder with the extracted archive behind for good;
// instead the signal ends the event loop, so the main window closes and cleans up as it does
// when the user closes it.
int g_signalSockets[2] = {-1, -1};

void OnTerminationSignal(int) {
    // Only what is safe inside a signal handler: the event loop does the rest.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[1], &byte, 1);
}

} // namespace

// The time zone is settled before the application object starts any thread.
TApplication::TApplication(int& argc, char** argv)
    : QApplication((PinLocalTimeZone(), argc), argv) {
    setApplicationName(QStringLiteral("Quillmate"));
    SetUpInterfaceLanguage(*this);
    if (g_signalSockets[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                               0, g_signalSockets) == 0) {
        auto* notifier = new QSocketNotifier(g_signalSockets[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [] {
            char bytes[16];
            while (::read(g_signalSockets[0], bytes, sizeof bytes) > 0) {
            }
            // Not quit(): that asks the windows first, and one busy extracting declines.
            QCoreApplication::exit(0);
        });
        struct sigaction action {};
        action.sa_handler = &OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        // A signal ignored when the program started (nohup, a background job) stays ignored.
        // A second Ctrl+C, while the first is still being handled, ends the program at once.
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            struct sigaction previous {};
            if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
                continue;
            action.sa_flags = signal == SIGINT ? SA_RESTART | SA_RESETHAND : SA_RESTART;
            ::sigaction(signal, &action, nullptr);
        }
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        // Not one of ours and not from the standard library: there is no text to show, but the
        // program keeps running as it would after any other reported error.
        ShowException(std::runtime_error("Unknown error"));
    }
    return false;
}

void TApplication::ShowException(const std::exception& error) {
    ShowMessageBox(activeWindow(), QMessageBox::Critical, QString::fromUtf8(error.what()));
}

} // namespace qm
