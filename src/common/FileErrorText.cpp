#include "common/FileErrorText.h"

#include <QDir>

#include <cerrno>

namespace FileErrorText {

QString reason(int errorCode, Access access)
{
    const bool reading = access == Access::Read;
    switch (errorCode) {
    case ENOSPC:
        return QStringLiteral("ディスクの空き容量が足りません");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("ディスクの使用量の上限を超えています");
#endif
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case EACCES:
    case EPERM:
        return reading ? QStringLiteral("読み込む権限がありません")
                       : QStringLiteral("書き込む権限がありません");
    case EROFS:
        return QStringLiteral("読み出し専用の場所です");
    case ENOENT:
    case ENOTDIR:
        return reading ? QStringLiteral("ファイルが見つかりません")
                       : QStringLiteral("保存先のフォルダーが見つかりません");
    case EISDIR:
        return reading ? QStringLiteral("ファイルではなくフォルダーです")
                       : QStringLiteral("同じ名前のフォルダーがあります");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ほかのプログラムが使用中です");
    default:
        return reading ? QStringLiteral("読み込めませんでした（エラー番号 %1）").arg(errorCode)
                       : QStringLiteral("書き込めませんでした（エラー番号 %1）").arg(errorCode);
    }
}

QString message(const QString& path, int errorCode, Access access)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason(errorCode, access);
}

QString readOnlyFileMessage(const QString& path)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": 読み出し専用のファイルです");
}

} // namespace FileErrorText
