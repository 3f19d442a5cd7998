#pragma once
// The confirmation before an install: names the application and collects, for this one install,
// the overwrite policy, what to do with a file that is not overwritten, whether the install is
// for the current user or for everyone, and what happens afterwards. The caller presets the
// values from the settings, runs the dialog (ExecDialog) and, after OK, reads them back; nothing
// chosen here goes back to the settings.
#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class TMainAccess;
class TRadioGroup;

class TfrmInstall : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInstall(TMainAccess& main, QWidget* parent = nullptr);

    // The heading "<name>をインストールします。"; also puts the shield on the install button.
    void SetAppName(const std::string& name);

    bool AutoExit() const;
    void SetAutoExit(bool value);
    bool BootApp() const;
    void SetBootApp(bool value);
    bool BootHelp() const;
    void SetBootHelp(bool value);
    // What to do with a file that is not overwritten (cmConfirm, cmSkip). A value outside that
    // range selects cmConfirm, so the value read back is always one the installer knows.
    std::uint8_t ConfirmMode() const;
    void SetConfirmMode(int value);
    // The overwrite policy (owAlways to owNever). A value outside that range selects owIfNewer.
    std::uint8_t OverWrite() const;
    void SetOverWrite(int value);
    // Install for every user of the machine rather than the current one. Never preset: every
    // install starts on the current user.
    bool AllUsers() const;
    // Whether the main program becomes a command on PATH; offered only for a Linux program.
    bool MakeCommand() const;
    // The command's name (editable while the box is ticked).
    std::string CommandName() const;
    void SetCommand(bool offered, bool checked, const std::string& name = std::string());
    // The types that would make the application the default browser or mail program; offered,
    // never preset, only when there are some (shown with the choice).
    bool AllowHandlers() const;
    void SetHandlerTypes(const std::vector<std::string>& types);
    // What keeps the main program from running here (no wine...), shown above the choices;
    // nothing when empty.
    void SetNotice(const std::string& text);

    QLabel* lblAppName = nullptr;
    QLabel* lblNotice = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbOverWrite = nullptr;
    QLabel* Label1 = nullptr;
    // Named for historical reasons: it holds the confirm mode, not the update mode.
    QComboBox* cmbUpdateMode = nullptr;
    TRadioGroup* rdgTarget = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* chkBootApp = nullptr;
    QCheckBox* chkBootHelp = nullptr;
    QCheckBox* chkExitApp = nullptr;
    QCheckBox* chkCommand = nullptr;
    QLineEdit* edtCommand = nullptr;
    QCheckBox* chkHandlers = nullptr;
    QPushButton* btnInstall = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TMainAccess& FMain;
};

// Shows the box with the handler types it would allow, unticked when it appears; hidden when
// there are none.
void ShowHandlerChoice(QCheckBox& box, const std::vector<std::string>& types);

} // namespace qm
