#pragma once
// The application object. Every error that no handler caught on its way up through an event
// ends here and is shown in the application's error box instead of ending the program.
#include <QApplication>

#include <exception>

namespace qm {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error in the application's error box (title: the application's title).
    static void ShowException(const std::exception& error);
};

} // namespace qm
