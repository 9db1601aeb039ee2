#include "platform/core/ErrorText.h"

#include <cerrno>
#include <cstring>

std::string ErrorReason(int error)
{
    switch (error) {
    case EACCES: return "アクセスが拒否されました。";
    case EPERM: return "この操作は許可されていません。";
    case EROFS: return "読み取り専用のファイルシステムです。";
    case ENOSPC: return "ディスクに空きがありません。";
    case EDQUOT: return "ディスクの使用量の上限に達しました。";
    case EFBIG: return "ファイルが大きすぎます。";
    case EISDIR: return "フォルダーです。";
    case ENOENT: return "ファイルまたはフォルダーが見つかりません。";
    case ENOTDIR: return "パスの途中にフォルダーでないものがあります。";
    case ELOOP: return "シンボリックリンクが多すぎます。";
    case ENAMETOOLONG: return "ファイル名が長すぎます。";
    default: return std::string(std::strerror(error)) + "。";
    }
}
