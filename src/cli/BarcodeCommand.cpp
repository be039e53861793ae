#include "cli/Commands.h"

#include "compose/BarcodePattern.h"
#include "compose/CustomerBarcode.h"

#include <QTextStream>

// tayori-cli barcode DATA: the barcode text of DATA, then its bars (F/A/D/T).
int runBarcodeCommand(const QStringList& args)
{
    if (args.size() != 1) {
        QTextStream(stderr) << "usage: tayori-cli barcode DATA\n";
        return 2;
    }
    const QString text = CustomerBarcode(args.front());
    QTextStream out(stdout);
    out << text << '\n' << BarcodePattern::bars(text) << '\n';
    return 0;
}
