#include "FullTextTokenizer.h"

#include "DbError.h"
#include "RussianStemmer.h"

#include <memory>
#include <sqlite3.h>

// The tokenizer "ovelta_ru": SQLite's own unicode61 splits the text into words and folds
// their case; each word is then replaced by its Russian stem, so every form of a word
// finds every other. Used for the text and for queries alike.
namespace {

struct Tokenizer {
    fts5_tokenizer base{};
    Fts5Tokenizer* words = nullptr; // the unicode61 instance
    RussianStemmer stemmer;
};

struct Passing {
    Tokenizer* self;
    void* context;
    int (*token)(void*, int, const char*, int, int, int);
};

int onWord(void* p, int flags, const char* text, int length, int start, int end) {
    auto pass = static_cast<Passing*>(p);
    const QByteArray stem = pass->self->stemmer.stemUtf8(QByteArrayView(text, length));
    return pass->token(pass->context, flags, stem.constData(), int(stem.size()), start, end);
}

int create(void* api, const char** args, int argCount, Fts5Tokenizer** out) {
    auto fts = static_cast<fts5_api*>(api);
    void* userData = nullptr;
    fts5_tokenizer base{};
    int rc = fts->xFindTokenizer(fts, "unicode61", &userData, &base);
    if (rc != SQLITE_OK)
        return rc;
    auto self = std::make_unique<Tokenizer>();
    self->base = base;
    // Diacritics removed: "ё" and "й" are left to the stemmer's own rules, Latin accents go.
    const char* defaults[] = {"remove_diacritics", "2"};
    rc = base.xCreate(userData, argCount > 0 ? args : defaults, argCount > 0 ? argCount : 2,
                      &self->words);
    if (rc != SQLITE_OK)
        return rc;
    *out = reinterpret_cast<Fts5Tokenizer*>(self.release());
    return SQLITE_OK;
}

void destroy(Fts5Tokenizer* tokenizer) {
    auto self = reinterpret_cast<Tokenizer*>(tokenizer);
    if (self->words)
        self->base.xDelete(self->words);
    delete self;
}

int tokenize(Fts5Tokenizer* tokenizer, void* context, int flags, const char* text, int length,
             int (*token)(void*, int, const char*, int, int, int)) {
    auto self = reinterpret_cast<Tokenizer*>(tokenizer);
    Passing pass{self, context, token};
    return self->base.xTokenize(self->words, &pass, flags, text, length, onWord);
}

fts5_api* ftsApi(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(stmt, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return api;
}

} // namespace

void registerRussianTokenizer(sqlite3* db) {
    fts5_api* api = ftsApi(db);
    if (!api)
        throw DbError(SQLITE_ERROR, QStringLiteral("the engine has no full-text search (FTS5)"));
    fts5_tokenizer tokenizer{create, destroy, tokenize};
    const int rc = api->xCreateTokenizer(api, "ovelta_ru", api, &tokenizer, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
}
