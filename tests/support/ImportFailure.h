#pragma once

#include "exchange/ExchangeStore.h"

#include <functional>
#include <gtest/gtest.h>

// What a piece of exchange work that must fail says, as "kind line: message"; work that
// goes through fails the test.
inline QString failureOf(const std::function<void()>& work) {
    using Kind = exchange::ExchangeError::Kind;
    try {
        work();
    } catch (const exchange::ExchangeError& e) {
        const char* kind = e.kind() == Kind::Format ? "format"
                           : e.kind() == Kind::File ? "file"
                                                    : "data";
        return QStringLiteral("%1 %2: %3").arg(QLatin1String(kind)).arg(e.line()).arg(e.message());
    }
    ADD_FAILURE() << "the work went through";
    return QString();
}
