// quill: installs applications distributed as archives from the command line.
#include "cli/QuillCommands.h"

#ifdef QM_WITH_CATALOGUE
#include "language/Interface.h"
#endif

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
#ifdef QM_WITH_CATALOGUE
    qm::LoadInterfaceCatalogue();
#endif
    return qm::RunQuill(std::vector<std::string>(argv + 1, argv + argc));
}
