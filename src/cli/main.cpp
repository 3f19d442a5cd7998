// quill: installs applications distributed as archives from the command line.
#include "cli/QuillCommands.h"
#include "cli/QuillOpen.h"

#ifdef QM_WITH_CATALOGUE
#include "language/Interface.h"
#endif

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
#ifdef QM_WITH_CATALOGUE
    qm::LoadInterfaceCatalogue();
#endif
    const int exit = qm::RunQuill(std::vector<std::string>(argv + 1, argv + argc));
    // After a break a check may still be reading the archive on its own thread: end here,
    // without waiting for it (the working folder is gone already).
    if (qm::QuillInterrupted) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(exit);
    }
    return exit;
}
