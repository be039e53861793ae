#pragma once

#include <QString>

// The sender printed on every card while `print` is on: the dialog 差出人 edits it, the
// settings file keeps it in section [Sender].
struct SenderInfo
{
    bool print = false;
    QString yubin; // postal code as typed: "1234567" or "123-4567"
    QString jyusho1;
    QString jyusho2;
    QString kaishamei;
    QString name;
    QString renmei;

    bool operator==(const SenderInfo&) const = default;
};
