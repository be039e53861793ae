#include "addresslist/TXBiff.h"

#include "addresslist/XBiffError.h"

void TXBiff::LoadFromFile(const QString& fileName)
{
    m_fileName = fileName;
    throw XBiffError(QStringLiteral("ﾌｧｲﾙを開くことに失敗しました"));
}
