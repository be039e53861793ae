#include "addresslist/AddressBook.h"
#include "addresslist/HeaderColumns.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"
#include "postal/AddressCheck.h"
#include "postal/AddressNumber.h"
#include "postal/PostalIndex.h"

#include <QTextStream>

// tayori-cli address-number POSTAL ADDRESS: the customer-barcode data (postal code and
// address number) made from the address, or nothing and exit 2 with the reason.
int runAddressNumberCommand(const QStringList& args)
{
    QTextStream err(stderr);
    if (args.size() < 2) {
        err << "usage: tayori-cli address-number POSTAL ADDRESS\n";
        return 2;
    }
    // An address given as several words is one address.
    const AddressNumber::Result r =
        AddressNumber::extract(PostalIndex::shared(), args[0], args.mid(1).join(u' '));
    if (!r.ok) {
        err << r.reason << '\n';
        return 2;
    }
    QTextStream(stdout) << r.data << '\n';
    return 0;
}

// tayori-cli check LIST [--settings INI]: one line per row whose postal code is missing,
// unknown or another place's: ROW<TAB>missing|unknown|mismatch<TAB>message.
int runCheckCommand(const QStringList& args)
{
    ConsolePrompter prompter;
    QStringList positional;
    QString settings;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--settings" && i + 1 < args.size())
            settings = args[++i];
        else
            positional << args[i];
    }
    if (positional.size() != 1 || positional[0].startsWith(u"--")) {
        prompter.showError(QStringLiteral("usage: tayori-cli check LIST [--settings INI]"));
        return 2;
    }
    const std::optional<RememberedMappings> remembered = ReadRememberedMappings(settings, prompter);
    if (!remembered)
        return 1;
    const PostalIndex& index = PostalIndex::shared();
    if (!index.isLoaded()) {
        prompter.showError(index.errorText());
        return 1;
    }
    // From here on every message is about the list.
    prompter.setSubject(positional[0]);
    AddressBook book;
    HeaderColumns columns;
    if (!LoadAddressList(book, positional[0], prompter, columns, *remembered))
        return 1;
    const AddressGrid& grid = book.grid();
    QTextStream out(stdout);
    const QList<AddressCheck::Finding> findings = AddressCheck::run(index, grid, columns);
    for (const AddressCheck::Finding& f : findings)
        out << f.row << '\t' << AddressMatch::statusWord(f.status) << '\t' << f.message << '\n';
    QTextStream(stderr) << AddressCheck::summary(findings.size()) << '\n';
    return 0;
}
