#pragma once

// What the commands of ovelta-db share: printing, the exit codes and their messages, the
// options every command reads, and opening the collection.

#include "data/Database.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <optional>

extern const char* const kUsage;

void print(FILE* out, const QString& text);
// Bad usage: the message and the usage on standard error, exit code 2.
int usageError(const QString& message);
// A failure: the message on standard error, exit code 1.
int failure(const QString& message);
QString parseError(const QCommandLineParser& parser);

// One command's options and arguments. Unknown options and a wrong number of
// arguments are usage errors.
struct Command {
    QCommandLineParser parser;
    QCommandLineOption db{QStringLiteral("db"), QString(), QStringLiteral("FILE"),
                          QStringLiteral("data.db")};

    QCommandLineOption section{QStringLiteral("section"), QString(), QStringLiteral("ID")};

    explicit Command(bool withDb, bool withSection = false) {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        if (withDb)
            parser.addOption(db);
        if (withSection)
            parser.addOption(section);
    }
    // "--section ID": the number when given; an error text when ID is no section number.
    QString readSection(std::optional<int>& id) const {
        if (!parser.isSet(section))
            return {};
        bool ok = false;
        id = parser.value(section).toInt(&ok);
        if (!ok || *id <= 0)
            return QStringLiteral("неверный номер раздела / bad section ID: %1")
                .arg(parser.value(section));
        return {};
    }
    // An error text, empty when the arguments fit.
    QString parse(const QStringList& args, int minArgs, int maxArgs) {
        if (!parser.parse(QStringList{QStringLiteral("ovelta-db")} + args))
            return parseError(parser);
        const qsizetype n = parser.positionalArguments().size();
        if (n < minArgs)
            return QStringLiteral("не хватает аргументов / missing arguments");
        if (n > maxArgs)
            return QStringLiteral("лишний аргумент / extra argument: %1")
                .arg(parser.positionalArguments().value(maxArgs));
        return {};
    }
    QString arg(int i) const { return parser.positionalArguments().value(i); }
    qsizetype argCount() const { return parser.positionalArguments().size(); }
};

// A recipe number given as an argument: an error text, empty when text is one.
QString readRecipeId(const QString& text, int& id);
bool openDb(Database& db, const QString& path, QString& error);
// Writes bytes to a file, or to standard output when path is empty. A failed write
// leaves no partial file.
int writeOut(const QString& path, const QByteArray& bytes);
// Opens the collection the command names and runs its work on it; a failure to open or
// to read ends the command with the reason.
int onCollection(Command& c, const std::function<int(Database&)>& work);
// The same for a command that only reads: it may bring an older file up to date to read it,
// as the program does at start-up, but what it changed is rolled back, failing or not.
int readingCollection(Command& c, const std::function<int(Database&)>& work);

int photoCommand(const QStringList& args);
int recipeCommand(const QStringList& args);
int backupCommand(const QStringList& args);
int backupsCommand(const QStringList& args);
int restoreCommand(const QStringList& args);
int checkCommand(const QStringList& args);
int deleteCommand(const QStringList& args);
int trashCommand(const QStringList& args);
int undeleteCommand(const QStringList& args);
int cookedCommand(const QStringList& args);
int historyCommand(const QStringList& args);
int planCommand(const QStringList& args);
int nutritionCommand(const QStringList& args);
int productCommand(const QStringList& args);
