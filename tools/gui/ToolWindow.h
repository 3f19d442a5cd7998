#pragma once
// The windows of the installer and the uninstaller: a progress window with the file at hand and
// a cancel button, the question about a file that is not overwritten, and the error box. Only
// these use Qt; the work itself is the Qt-free core's.
#include "core/ToolUi.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qm {

class TToolWindow : public QWidget, public TToolUi {
public:
    // caption: the window's title; heading: the line above the file name.
    TToolWindow(const QString& caption, const QString& heading);

    bool Interactive() const override { return true; }
    bool Progress(const std::string& file, int done, int total) override;
    TOverwriteAnswer AskOverwrite(const std::string& path, const std::string& details) override;
    void ShowError(const std::string& message) override;

    QLabel* lblFile = nullptr;
    QProgressBar* pbProgress = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool FCancelled = false;
    bool FPlaced = false;
    QElapsedTimer FLastPaint;
};

// The overwrite question's answers as dialog results.
constexpr int mrOverwrite = 10;
constexpr int mrSkip = 11;
constexpr int mrOverwriteAll = 12;
constexpr int mrSkipAll = 13;

} // namespace qm
