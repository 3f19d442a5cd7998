#include "platform/SystemError.h"

#include "platform/Catalogue.h"

#include <cerrno>
#include <cstring>

namespace qm {

std::string SystemErrorText(int error) {
    switch (error) {
    case ENOENT:
        return Tr("SystemError", "ファイルまたはフォルダがありません");
    case EACCES:
    case EPERM:
        return Tr("SystemError", "アクセスが拒否されました");
    case ENOSPC:
        return Tr("SystemError", "ディスクの空き容量が足りません");
#ifdef EDQUOT
    case EDQUOT:
        return Tr("SystemError", "ディスクの使用量の上限を超えました");
#endif
    case EROFS:
        return Tr("SystemError", "読み取り専用のファイルシステムです");
    case EEXIST:
        return Tr("SystemError", "同じ名前のファイルまたはフォルダが既にあります");
    case ENOTDIR:
        return Tr("SystemError", "パスの途中がフォルダではありません");
    case EISDIR:
        return Tr("SystemError", "フォルダです");
    case ENOTEMPTY:
        return Tr("SystemError", "フォルダが空ではありません");
    case ENAMETOOLONG:
        return Tr("SystemError", "名前が長すぎます");
    case ELOOP:
        return Tr("SystemError", "シンボリックリンクが多すぎるか、たどれません");
    case EBUSY:
        return Tr("SystemError", "使用中です");
    case EIO:
        return Tr("SystemError", "入出力エラーが発生しました");
    case EXDEV:
        return Tr("SystemError", "別のファイルシステムへは移動できません");
    case EMFILE:
    case ENFILE:
        return Tr("SystemError", "開いているファイルが多すぎます");
    case ETXTBSY:
        return Tr("SystemError", "実行中のファイルです");
    case ENOMEM:
        return Tr("SystemError", "メモリが足りません");
    default:
        return std::strerror(error);
    }
}

} // namespace qm
