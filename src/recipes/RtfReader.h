#pragma once

#include <QByteArray>

class QTextDocument;

// Reads the RTF that the program's documents use into a text document: groups, the font
// table, font, size, bold, italic, underline, paragraphs, line breaks, tabs, \'hh bytes
// and \uN characters. Bytes 0x80-0xFF are code page 1251. Whatever else the text holds
// (unknown control words, \* destinations, colour tables) is passed over without losing
// the text around it.
void readRtf(const QByteArray& rtf, QTextDocument* document);

// Sets one tab stop just past the widest text that stands before a tab on any line, so
// that what follows the tabs (a recipe's amounts) starts in one column however long the
// names before them are.
void alignTabStops(QTextDocument* document);
