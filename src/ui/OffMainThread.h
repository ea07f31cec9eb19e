#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <functional>
#include <optional>
#include <thread>

// Runs work that takes longer than a frame (decoding a camera's picture) on a thread of
// its own while the window goes on painting; keys and clicks wait, so nothing the work
// depends on changes under it. Returns what the work returned, or throws what it threw.
template <class T> T offMainThread(const std::function<T()>& work) {
    if (!QCoreApplication::instance())
        return work();
    QEventLoop loop;
    std::optional<T> result;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            result.emplace(work());
        } catch (...) {
            error = std::current_exception();
        }
        // Queued: it reaches the loop once it runs, also when the work ends first.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (error)
        std::rethrow_exception(error);
    return std::move(*result);
}
