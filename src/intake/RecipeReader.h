#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

// Recipes as other programs and sites publish them: a web page saved from a browser
// (schema.org Recipe in JSON-LD, or in microdata), a schema.org Recipe JSON file, or plain
// text with a title, a block of ingredients and the method. No widgets, no database here.
namespace intake {

struct ReadRecipe {
    QString title;
    QStringList ingredients; // one line each, as written
    QStringList method;      // one step a line; a section's name is a line of its own
    QString yield;           // the servings as written ("4 порции"); empty when not said
    QString notice;          // what the user should know ("several recipes, the first taken")
    QStringList images;      // the photo's addresses as written: URLs, paths, data:, base64
    QByteArray photo;        // its bytes, when the file carried them or they lie beside it
    QString photoSource;     // where they were found, for messages
};

// Why nothing could be read, in Russian.
class IntakeError : public std::runtime_error {
public:
    explicit IntakeError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Files past this size are no recipe anybody saved: refused before they are read.
inline constexpr qint64 kMaxIntakeBytes = 10 * 1024 * 1024;

ReadRecipe readHtml(const QByteArray& html);
ReadRecipe readJson(const QByteArray& json);
ReadRecipe readText(const QString& text);
// By the file's extension (.html, .htm, .json, .txt), else by what it starts with. The
// photo comes along when the file holds it (data: or base64) or it was saved beside it: a
// page saved whole keeps its pictures in NAME_files, a JSON file may have NAME.jpg.
ReadRecipe readFile(const QString& path);
// The same for a file's bytes already read (from an archive): no photo is looked for.
// fileName gives the extension and names the file in messages.
ReadRecipe readBytes(const QByteArray& bytes, const QString& fileName);

// Text bytes as UTF-8: UTF-8 as it is (without a byte-order mark), anything else read as
// code page 1251, as Russian pages and files without a charset are written.
QByteArray readBytesAsUtf8(const QByteArray& bytes);
// Whether the bytes start like an archive (zip, gzip, tar): what recipe programs export
// their collections in, and no recipe file.
bool looksLikeArchive(const QByteArray& head);
// The bytes of a data: address ("data:image/jpeg;base64,/9j/…"); empty when it is none.
QByteArray fromDataUrl(const QString& url);

// Text of a string that may hold HTML tags and entities, as a reader sees it.
QString plainText(const QString& html);

} // namespace intake
