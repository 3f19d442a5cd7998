// quill: installs applications distributed as archives from the command line.
#include "cli/QuillCommands.h"

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    return qm::RunQuill(std::vector<std::string>(argv + 1, argv + argc));
}
