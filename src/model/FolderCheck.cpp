#include "model/FolderCheck.h"

#include "platform/Catalogue.h"
#include "platform/FileSystem.h"

namespace qm {

namespace {

bool HasParentStep(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0 && end - start == 2)
            return true;
        start = end + 1;
    }
    return false;
}

bool IsRoot(const std::string& path) {
    for (const char c : path)
        if (c != PathDelim && c != '.')
            return false;
    return true;
}

} // namespace

TFolderProblem CheckFolderPath(const std::string& folder, bool refuseRoot) {
    if (folder.find_first_not_of(" \t") == std::string::npos)
        return TFolderProblem::Empty;
    if (!IsAbsolutePath(folder))
        return TFolderProblem::Relative;
    if (HasParentStep(folder))
        return TFolderProblem::ParentStep;
    if (refuseRoot && IsRoot(folder))
        return TFolderProblem::Root;
    switch (FolderWriteState(folder)) {
    case TFolderWrite::System:
        return TFolderProblem::System;
    case TFolderWrite::ReadOnly:
        return TFolderProblem::ReadOnly;
    case TFolderWrite::NoRights:
        return TFolderProblem::NoRights;
    case TFolderWrite::Writable:
        break;
    }
    return TFolderProblem::None;
}

TFolderProblemText FolderProblemText(TFolderProblem problem, const std::string& folder,
                                     bool isInstallFolder) {
    const std::string quoted = "\"" + folder + "\"";
    const std::string wrong = isInstallFolder
                                  ? Tr("FolderCheck", "インストール先が正しくありません")
                                  : Tr("FolderCheck", "ショートカット作成先が正しくありません");
    switch (problem) {
    case TFolderProblem::None:
        break;
    case TFolderProblem::Empty:
        if (isInstallFolder)
            return {Tr("FolderCheck", "インストール先が指定されていません"),
                    Tr("FolderCheck", "インストール先フォルダを指定してください。")};
        return {Tr("FolderCheck", "パスが指定されていません"),
                Tr("FolderCheck", "ショートカット作成先フォルダのパスを入力してください。")};
    case TFolderProblem::Relative:
        return {wrong,
                Args(isInstallFolder
                         ? Tr("FolderCheck", "%1 は相対パスです。インストール先フォルダは / "
                                             "から始まる絶対パスで指定してください。")
                         : Tr("FolderCheck", "%1 は相対パスです。ショートカット作成先フォルダは / "
                                             "から始まる絶対パスで指定してください。"),
                     quoted)};
    case TFolderProblem::Root:
        return {wrong,
                Tr("FolderCheck",
                   "ファイルシステムのルート (/) "
                   "にはインストールできません。アプリケーションのフォルダを指定してください。")};
    case TFolderProblem::ParentStep:
        return {wrong,
                Args(Tr("FolderCheck",
                        "%1 は \"..\" を含んでいます。\"..\" を使わないパスで指定してください。"),
                     quoted)};
    case TFolderProblem::System:
        return {Tr("FolderCheck", "このフォルダは使えません"),
                Args(Tr("FolderCheck", "%1 はシステムのフォルダ (/proc, /sys, /dev, /run) "
                                       "の下にあり、ファイルを置けません。"),
                     quoted)};
    case TFolderProblem::ReadOnly:
        return {
            Tr("FolderCheck", "このフォルダは使えません"),
            Args(Tr("FolderCheck", "%1 は読み取り専用のファイルシステムにあり、書き込めません。"),
                 quoted)};
    case TFolderProblem::NoRights:
        return {Tr("FolderCheck", "書き込む権限がありません"),
                Args(Tr("FolderCheck", "%1 に書き込む権限がありません。"
                                       "このフォルダへのインストールには"
                                       "管理者のパスワードが必要です。"),
                     quoted)};
    }
    return {};
}

} // namespace qm
