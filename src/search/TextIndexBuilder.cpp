#include "TextIndexBuilder.h"

#include "TextIndex.h"
#include "data/Database.h"

#include <chrono>
#include <sqlite3.h>

TextIndexBuilder::TextIndexBuilder(const QString& path, QObject* parent)
    : QObject(parent), m_path(path) {}

TextIndexBuilder::~TextIndexBuilder() {
    stop();
}

void TextIndexBuilder::start() {
    if (m_thread.joinable())
        return;
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this] { run(); });
}

void TextIndexBuilder::stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
}

void TextIndexBuilder::run() {
    QString error;
    bool complete = false;
    try {
        Database own;
        own.open(m_path, Database::OpenMode::Existing);
        // Read through the page cache alone: a mapping of the whole file would stay resident
        // as the pass goes through every recipe, the memory of the file's size.
        own.execScript("PRAGMA mmap_size=0; PRAGMA cache_size=-4096;");
        m_total = search::textIndexBacklog(own);
        emit progressed(0, m_total);
        while (!m_stop) {
            qint64 piece = 0;
            try {
                piece = search::indexSomeRecipes(own, kPiece);
            } catch (const DbError& e) {
                // The window's connection holds the file (a recipe being edited): the piece
                // was rolled back whole, and is tried again in a moment.
                if ((e.code() & 0xff) != SQLITE_BUSY && (e.code() & 0xff) != SQLITE_LOCKED)
                    throw;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                continue;
            }
            if (piece == 0) {
                complete = true;
                break;
            }
            m_done += piece;
            // Recipes changed meanwhile join the backlog: the total grows with them.
            m_total = std::max<qint64>(m_total, m_done);
            emit progressed(m_done, m_total);
        }
    } catch (const DbError& e) {
        error = e.message();
    }
    m_running = false;
    emit finished(complete, error);
}
