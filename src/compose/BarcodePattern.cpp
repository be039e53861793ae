#include "compose/BarcodePattern.h"

namespace BarcodePattern {

QLatin1StringView symbolBars(QChar c)
{
    switch (c.unicode()) {
    case u'0':
        return QLatin1StringView("FTT");
    case u'1':
        return QLatin1StringView("FFT");
    case u'2':
        return QLatin1StringView("FDA");
    case u'3':
        return QLatin1StringView("DFA");
    case u'4':
        return QLatin1StringView("FAD");
    case u'5':
        return QLatin1StringView("FTF");
    case u'6':
        return QLatin1StringView("DAF");
    case u'7':
        return QLatin1StringView("AFD");
    case u'8':
        return QLatin1StringView("ADF");
    case u'9':
        return QLatin1StringView("TFF");
    case u'-':
        return QLatin1StringView("TFT");
    case u'A':
        return QLatin1StringView("DAT");
    case u'B':
        return QLatin1StringView("DTA");
    case u'C':
        return QLatin1StringView("ADT");
    case u'D':
        return QLatin1StringView("TDA");
    case u'E':
        return QLatin1StringView("ATD");
    case u'F':
        return QLatin1StringView("TAD");
    case u'G':
        return QLatin1StringView("TTF");
    case u'H':
        return QLatin1StringView("FFF");
    case u'(':
        return QLatin1StringView("FD");
    case u')':
        return QLatin1StringView("DF");
    default:
        return {};
    }
}

QString bars(QStringView barcodeText)
{
    QString out;
    out.reserve(barcodeText.size() * 3);
    for (const QChar c : barcodeText)
        out += symbolBars(c);
    return out;
}

} // namespace BarcodePattern
