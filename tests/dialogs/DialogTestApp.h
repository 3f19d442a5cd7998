#pragma once
// The one application object of a dialog test process, whichever test makes it first.
#include <QApplication>
#include <QString>

#include <ostream>

namespace qmtest {

inline void EnsureApplication() {
    if (QApplication::instance() != nullptr)
        return;
    static int argc = 1;
    static char name[] = "test_dialogs";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at process exit Qt's own globals may be gone before it.
    new QApplication(argc, argv);
}

} // namespace qmtest

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
