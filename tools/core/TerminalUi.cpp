#include "TerminalUi.h"

#include "model/FileUtils.h"
#include "platform/Catalogue.h"
#include "platform/FileTransfer.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace qm {

TTerminalToolUi::~TTerminalToolUi() {
    if (FProgress)
        FProgress->Finish();
}

bool TTerminalToolUi::Interactive() const {
    return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1;
}

bool TTerminalToolUi::Progress(const std::string& file, int done, int total) {
    if (!FProgress) {
        FProgress = std::make_unique<TTerminalProgress>(FAction);
        FShown = TTerminalProgress::Shown();
    }
    // The bytes are only counted for a line someone sees: a stat per file is not free.
    if (FShown && !FPrevious.empty()) {
        const TFileFacts facts = GetFileFacts(FPrevious);
        if (facts.exists && !facts.isFolder)
            FBytes += static_cast<std::uint64_t>(facts.size);
    }
    FPrevious = done < total ? file : std::string();
    FProgress->Step(ExtractFileName(file), done, total, FBytes);
    if (done >= total)
        FProgress->Finish();
    return true;
}

TOverwriteAnswer TTerminalToolUi::AskOverwrite(const std::string& path,
                                               const std::string& details) {
    if (FProgress)
        FProgress->Finish();
    FProgress.reset();
    if (!details.empty())
        std::fputs((details + "\n").c_str(), stderr);
    for (;;) {
        // The letters are the answers in every language.
        std::fputs(
            Args(Tr("TerminalUi", "\"%1\" は既にあります。上書きしますか? [y] はい / [n] いいえ / "
                                  "[a] すべて上書き / [s] すべてスキップ / [c] キャンセル: "),
                 path)
                .c_str(),
            stderr);
        std::fflush(stderr);
        std::string answer;
        if (!std::getline(std::cin, answer))
            return TOverwriteAnswer::Cancel;
        if (answer == "y" || answer == "Y")
            return TOverwriteAnswer::Overwrite;
        if (answer == "n" || answer == "N")
            return TOverwriteAnswer::Skip;
        if (answer == "a" || answer == "A")
            return TOverwriteAnswer::OverwriteAll;
        if (answer == "s" || answer == "S")
            return TOverwriteAnswer::SkipAll;
        if (answer == "c" || answer == "C")
            return TOverwriteAnswer::Cancel;
    }
}

} // namespace qm
