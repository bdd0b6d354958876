// The stored list font in the toolkit's terms, for the main window and the
// configuration dialog. QFont carries no colour: the colour is resolved
// against a palette where the lists are painted.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "ListFont.h"

// Face, size in points and the four styles. A size that is not positive
// (hand-edited) gives the design size.
QFont ToQFont(const tyListFont& font);

// The face, size and styles of font, with the colour given: the font dialog
// chooses no colour, so the caller passes on the one it had. A font sized in
// pixels is converted at 96 dots per inch, as the design font's 11 pixels
// are its 8 points.
tyListFont FromQFont(const QFont& font, tyColor color);

// An RGB colour as it is; a system colour from the palette role that plays
// its part in Qt (window text: QPalette::Text of a list).
QColor ToQColor(tyColor color, const QPalette& palette);

// The RGB encoding of a colour the user chose.
tyColor FromQColor(const QColor& color);
