#pragma once

#include <QByteArray>
#include <QString>

// Writing text into an RTF document in code page 1251.
namespace rtf {

// The opening of every document the program writes: character set and the two fonts.
inline constexpr const char* kDocumentHeader =
    "{\\rtf0\\ansi{\\fonttbl{\\f0\\fswiss Arial;\\f1\\froman Times New Roman;}}";

// Appends database text to a document. "\", "{" and "}" are escaped; characters the code
// page lacks become \uN? so they still show. Where the document so far ends in a control
// word, a blank goes before text that would otherwise be read as part of that word (a
// Latin letter, a digit, a hyphen or a blank).
void appendText(QByteArray& doc, const QString& text);

// True when the document ends in a control word still waiting for its delimiter.
bool endsInControlWord(const QByteArray& doc);

// Code page 1251 bytes of text, with nullopt-like failure reported through ok.
QByteArray toCp1251(const QString& text, bool* ok = nullptr);
QString fromCp1251(const QByteArray& bytes);
// Code page 1251 bytes with "?" for every character the code page lacks (a pair of
// UTF-16 halves counts as one character); replaced, when given, grows by their number.
QByteArray toCp1251Lossy(QStringView text, qsizetype* replaced = nullptr);

// "%g" of a single-precision amount, widened to double, as C's printf writes it.
QByteArray formatAmount(float amount);

} // namespace rtf
