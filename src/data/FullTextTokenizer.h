#pragma once

struct sqlite3;

// Registers the full-text tokenizer "ovelta_ru" (words by Unicode rules, each replaced by
// its Russian stem) on a connection. Throws DbError when the engine lacks FTS5.
void registerRussianTokenizer(sqlite3* db);
