#pragma once
// Texts of statics and buttons are never cut. A text that does not fit the rectangle the program
// gave its control grows the control, in the direction its alignment reads (a left-aligned text to
// the right, a centred one both ways, a wrapping one down as well), as far as the neighbours that
// lie outside that rectangle, the group box around it and the dialog leave room. A text that
// still does not fit is shown cut short with an ellipsis, and its tooltip holds all of it. A plain
// left-aligned label on one line gives up the part of its rectangle right of its text, so that a
// neighbour may grow into it.

class QString;
class QWidget;

namespace platform {

// Shows `text` on a QLabel, a button or a group box, fitted as above. A button's text keeps its
// mnemonic ampersands.
void ShowControlText(QWidget* control, const QString& text);

// A text as a control with mnemonics shows it: "&x" is an x (underlined), "&&" an ampersand.
QString WithoutMnemonics(const QString& text);

}  // namespace platform
