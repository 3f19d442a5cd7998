#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace qm {

std::string SystemErrorText(int error) {
    switch (error) {
    case ENOENT:
        return "ファイルまたはフォルダがありません";
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました";
    case ENOSPC:
        return "ディスクの空き容量が足りません";
#ifdef EDQUOT
    case EDQUOT:
        return "ディスクの使用量の上限を超えました";
#endif
    case EROFS:
        return "読み取り専用のファイルシステムです";
    case EEXIST:
        return "同じ名前のファイルまたはフォルダが既にあります";
    case ENOTDIR:
        return "パスの途中がフォルダではありません";
    case EISDIR:
        return "フォルダです";
    case ENOTEMPTY:
        return "フォルダが空ではありません";
    case ENAMETOOLONG:
        return "名前が長すぎます";
    case ELOOP:
        return "シンボリックリンクが多すぎるか、たどれません";
    case EBUSY:
        return "使用中です";
    case EIO:
        return "入出力エラーが発生しました";
    case EXDEV:
        return "別のファイルシステムへは移動できません";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case ETXTBSY:
        return "実行中のファイルです";
    case ENOMEM:
        return "メモリが足りません";
    default:
        return std::strerror(error);
    }
}

} // namespace qm
