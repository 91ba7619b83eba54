#pragma once
// Accelerators (the underlined letter, Alt with it) for menus whose texts carry none: the first
// letter of an item's text not yet taken in its menu, a word's first letter preferred. The
// texts keep their letters; only the marker goes in.

class QMenu;
class QMenuBar;
class QString;

// The menu bar's titles, and the items of each of its menus.
void GiveAccelerators(QMenuBar* bar);
void GiveAccelerators(QMenu* menu);

// The text with '&' before the letter chosen; taken holds the letters (lower case) used so far
// in the menu and receives the new one. The text as it is when it has one already or no letter
// is free.
QString WithAccelerator(const QString& text, QString& taken);
