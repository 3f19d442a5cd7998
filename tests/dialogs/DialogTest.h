#pragma once
// What the dialog tests share: the application object, a fixture that answers every modal
// question from queues and starts each test with no database and no settings, and records
// written through the model into the database file.
#include "DialogTestApp.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "widgets/UiHooks.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <filesystem>
#include <ostream>
#include <string>

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

namespace dlgtest {

// The settings file of the main window made by a test.
inline std::string SettingsFile() {
    return qm::GetSpecialFolder(qm::SF_APPDATA) + "test_dialogs/Quillmate.ini";
}

inline std::string DatabaseFile() {
    return qm::GetDataFolder() + qm::InstallListFileName;
}

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qmtest::EnsureApplication(); }
    void SetUp() override {
        qm::TUiHooks::Reset();
        qm::TUiHooks::Active = true;
        std::error_code ec;
        std::filesystem::remove_all(qm::GetDataFolder(), ec);
        std::filesystem::remove(SettingsFile(), ec);
    }
    void TearDown() override { qm::TUiHooks::Reset(); }
};

// One column of a list's rows, top to bottom.
inline QStringList Column(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

// A record appended to the list with a fresh identifier.
inline qm::TInstallAppInfo& AddRecord(qm::TInstallList& list, const std::string& name) {
    qm::TInstallAppInfo& record = list.Add();
    list.AssignNewId(record);
    record.AppName = name;
    record.Version = "1.0";
    record.ArchiveName = name + ".zip";
    return record;
}

// A member installed into folder (a full path with its trailing separator).
inline qm::TFileMember& AddMember(qm::TInstallAppInfo& record, const std::string& folder,
                                  const std::string& fileName, std::int64_t size = 0) {
    qm::TFileMember& member = record.Members.Add();
    member.FileName = fileName;
    member.SetInstallDir(folder, true);
    member.FileSize = size;
    member.IsTarget = true;
    return member;
}

} // namespace dlgtest
