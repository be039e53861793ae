#include "app/PostalHelp.h"

#include "postal/AddressMatch.h"
#include "postal/AddressText.h"
#include "postal/PostalIndex.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void showTown(const QLineEdit& code, const QLineEdit& address1, const QLineEdit& address2,
              QLabel& town)
{
    const PostalIndex& index = PostalIndex::shared();
    const std::optional<quint32> parsed = AddressText::parsePostalCode(code.text());
    if (!index.isLoaded() || !parsed) {
        town.clear();
        return;
    }
    const PostalIndex::Towns towns = index.towns(*parsed);
    if (towns.isEmpty()) {
        town.setText(QStringLiteral("<font color=\"#c00000\">郵便番号データにありません</font>"));
        return;
    }
    const AddressMatch::Result m =
        AddressMatch::match(index, code.text(), address1.text() + u' ' + address2.text());
    if (m.status == AddressMatch::Status::Match || address1.text().trimmed().isEmpty()) {
        town.setText(towns.front().fullName().toHtmlEscaped());
        return;
    }
    town.setText(QStringLiteral("<font color=\"#c00000\">") + m.town.fullName().toHtmlEscaped() +
                 QStringLiteral("</font>"));
}

} // namespace

void AttachPostalHelp(QLineEdit& code, QLineEdit& address1, QLineEdit& address2,
                      QPushButton& button, QLabel& town)
{
    town.setTextFormat(Qt::RichText);
    if (const QString why = PostalIndex::unavailableMessage(); !why.isEmpty()) {
        button.setEnabled(false);
        button.setToolTip(why);
    }
    const auto refresh = [&code, &address1, &address2, &town] {
        showTown(code, address1, address2, town);
    };
    for (QLineEdit* edit : {&code, &address1, &address2})
        QObject::connect(edit, &QLineEdit::textChanged, &town, refresh);

    QObject::connect(&button, &QPushButton::clicked, &address1, [&code, &address1, &address2] {
        const PostalIndex& index = PostalIndex::shared();
        const std::optional<quint32> parsed = AddressText::parsePostalCode(code.text());
        if (!index.isLoaded() || !parsed)
            return;
        const PostalIndex::Towns towns = index.towns(*parsed);
        if (towns.isEmpty())
            return;
        const AddressMatch::Result m = AddressMatch::match(index, code.text(), address1.text());
        // Keep the street number when the line already names the code's town.
        const PostalIndex::Town& place = m.townEnd >= 0 ? m.town : towns.front();
        const QString rest = m.townEnd >= 0 ? address1.text().mid(m.townEnd) : QString();
        // Through the edit's own undo, so a replaced line comes back with Ctrl+Z.
        address1.selectAll();
        address1.insert(place.fullName() + rest);
        address1.setFocus();
        (void)address2;
    });
}
