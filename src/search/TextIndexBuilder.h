#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

// Builds the full-text index of a large backlog (a generated or imported collection, an
// older file) on a thread and a connection of its own, a few hundred recipes a
// transaction, so that the window is usable at once and memory stays that of one piece.
// Writes of the window's connection wait for a piece at most; a piece that finds the file
// busy (an open recipe editor) waits and tries again.
class TextIndexBuilder : public QObject {
    Q_OBJECT
public:
    static constexpr int kPiece = 500;

    explicit TextIndexBuilder(const QString& path, QObject* parent = nullptr);
    ~TextIndexBuilder() override; // stops after the piece under way

    void start();
    // Stops after the piece under way and waits for it; what is left is done next time.
    void stop();
    bool running() const { return m_running; }
    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }

signals:
    // Queued to the thread that made the builder.
    void progressed(qint64 done, qint64 total);
    // complete: nothing is left; otherwise error says why it stopped (empty when asked to).
    void finished(bool complete, const QString& error);

private:
    void run();

    QString m_path;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
};
