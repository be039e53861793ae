#pragma once

class QLabel;
class QLineEdit;
class QPushButton;

// The postal-code help of the record edit dialog: `button` ("〒→住所") puts the prefecture,
// city and town of the code into `address1` (undoable, keeping what follows a town already
// there), and `town` shows the code's place whenever it does not fit the address. Without
// the postal-code table the button is off and says why.
void AttachPostalHelp(QLineEdit& code, QLineEdit& address1, QLineEdit& address2,
                      QPushButton& button, QLabel& town);
