#include "data/TextOrder.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

TEST(SqlFunctions, UpperCaseLengthAndLikeWorkForCyrillic) {
    TestDb t;
    EXPECT_EQ(textOf(t.db, "SELECT UCase('ёлка Блины')"), "ЁЛКА БЛИНЫ");
    EXPECT_EQ(textOf(t.db, "SELECT Len('Блины с мёдом') || ',' || Len('')"), "13,0");
    // One digit a LIKE, 1 for a match.
    EXPECT_EQ(textOf(t.db, "SELECT ('Блины с мёдом' LIKE '%БЛИНЫ%') || ('ЁЖИК' LIKE 'ёжик') || "
                           "('Блины' LIKE 'Бл_ны') || ('Блины' LIKE 'Бл_') || ('' LIKE '%')"),
              "11101");
    // A bound text with quotes is just text.
    EXPECT_EQ(number(t.db, "SELECT ? LIKE ?", {"д'Артаньян", "%'арт%"}), 1);
    EXPECT_EQ(number(t.db, "SELECT '50% скидка' LIKE '50!%%' ESCAPE '!'"), 1);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(t.db.scalar("SELECT UCase(NULL)")));
}

TEST(SqlFunctions, LikeBacktracksWithoutBlowingUp) {
    // Many "%" over a long text that almost matches: must answer, and answer right.
    QString text(2000, QLatin1Char('a'));
    QString pattern = "%a%a%a%a%a%a%a%a%b";
    EXPECT_FALSE(likeMatch(pattern, text));
    EXPECT_TRUE(likeMatch(pattern, text + QLatin1Char('b')));
    EXPECT_TRUE(likeMatch(QStringLiteral("%и%"), QStringLiteral("ИКРА")));
    // After a mismatch the pattern starts again from just past its last "%".
    EXPECT_TRUE(likeMatch(QStringLiteral("%аб"), QStringLiteral("ааб")));
    EXPECT_FALSE(likeMatch(QStringLiteral("%аб"), QStringLiteral("авб")));
}

TEST(RussianOrder, IgnoresCaseAndKeepsYoWithYe) {
    // ё is read as е: "ёж" goes between "дом" and "ель", not after "я".
    EXPECT_TRUE(russianLess("а", "Б") && russianLess("дом", "ёж") && russianLess("ёж", "Ель") &&
                russianLess("ёлка", "жир"));
    TestDb t;
    t.db.execScript("CREATE TABLE w (n TEXT); INSERT INTO w VALUES ('жир'),('ёж'),('Ель'),('а'),"
                    "('Б')");
    Statement st(t.db, SqlText("SELECT group_concat(n, ',') FROM "
                               "(SELECT n FROM w ORDER BY n COLLATE RU)"));
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(0), "а,Б,ёж,Ель,жир");
}

TEST(Transactions, NestAndRollBackUnlessCommitted) {
    TestDb t;
    t.db.execScript("CREATE TABLE n (v INTEGER)");
    {
        Transaction outer(t.db);
        t.db.exec("INSERT INTO n VALUES (1)");
        {
            Transaction inner(t.db);
            t.db.exec("INSERT INTO n VALUES (2)");
            // not committed: only this inner part goes
        }
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM n"), 1);
        {
            Transaction inner(t.db);
            t.db.exec("INSERT INTO n VALUES (3)");
            inner.commit();
        }
        outer.commit();
    }
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(v) FROM n"), "1,3");
    {
        Transaction outer(t.db);
        t.db.exec("DELETE FROM n");
        Transaction inner(t.db);
        t.db.exec("INSERT INTO n VALUES (9)");
        inner.commit();
        // the outer one ends without commit: everything goes back
    }
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(v) FROM n"), "1,3");
    EXPECT_EQ(t.db.transactionDepth(), 0);
}

TEST(Database, ErrorsCarryTheEngineMessageAndStatementsNest) {
    TestDb t;
    // Closing lets go of the file, twice as well as once.
    {
        Database other;
        other.open(t.path(), Database::OpenMode::Existing);
        other.close();
        EXPECT_FALSE(other.isOpen());
        other.close();
    }
    try {
        t.db.exec("SELECT * FROM NoSuchTable");
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("NoSuchTable")) << e.what();
    }
    // The same statement text used inside its own loop gets its own copy.
    t.db.execScript("CREATE TABLE n (v INTEGER); INSERT INTO n VALUES (1),(2)");
    int pairs = 0;
    Statement outer(t.db, SqlText("SELECT v FROM n"));
    while (outer.step()) {
        Statement inner(t.db, SqlText("SELECT v FROM n"));
        while (inner.step())
            ++pairs;
    }
    EXPECT_EQ(pairs, 4);
    EXPECT_THROW(t.db.exec("INSERT INTO n VALUES (?)"), DbError); // a value is missing
    // A file that cannot be opened is said so in Russian, the engine's words beside.
    Database missing;
    try {
        missing.open(t.dir() + "/нет/такой.db", Database::OpenMode::Existing);
        FAIL() << "a missing file was opened";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().startsWith("Не удаётся открыть файл базы данных. ("))
            << e.message().toStdString();
    }
}

TEST(Transaction, AnEngineRollbackIsNoticedAndNothingRunsOutsideIt) {
    TestDb t;
    // A table without triggers: a failed single-row write there has no statement of its
    // own to undo, so the engine gives up the whole transaction.
    t.db.execScript("CREATE TABLE Scratch (x)");
    const qint64 before = number(t.db, "SELECT count(*) FROM Scratch");
    t.db.exec("INSERT INTO Units (Name) VALUES ('x')");
    {
        Transaction tx(t.db);
        t.db.exec("INSERT INTO Scratch VALUES ('kept only with the transaction')");
        // The file may not grow: a large write fails with "database or disk is full".
        t.db.execScript("PRAGMA max_page_count=1");
        bool failed = false;
        try {
            t.db.exec("INSERT INTO Scratch VALUES (?)", {QString(60000, QLatin1Char('x'))});
        } catch (const DbError&) {
            failed = true;
        }
        ASSERT_TRUE(failed);
        ASSERT_TRUE(t.db.transactionLost());
        // Nothing may now be kept at once behind the user's back.
        EXPECT_THROW(t.db.exec("DELETE FROM Units"), DbError);
        EXPECT_THROW(Transaction inner(t.db), DbError);
    }
    EXPECT_FALSE(t.db.transactionLost());
    // A script that fails the same way says so in Russian, as a statement does.
    try {
        t.db.execScript("INSERT INTO Scratch VALUES (randomblob(60000))");
        ADD_FAILURE() << "a full file took the write";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().startsWith("На диске не хватает места.")) << e.what();
    }
    t.db.execScript("PRAGMA max_page_count=1073741823");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Scratch"), before);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Units"), 1);
}
