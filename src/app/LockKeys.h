#pragma once

#include <QString>
#include <optional>

// Caps, Num and Scroll Lock as the keyboard's lights show them. The toolkit has no call
// for this, so the kernel's LED files are read; where there are none the state is unknown.
struct LockKeyState {
    std::optional<bool> caps;
    std::optional<bool> num;
    std::optional<bool> scroll;
};

LockKeyState readLockKeys(const QString& ledDirectory = QStringLiteral("/sys/class/leds"));
