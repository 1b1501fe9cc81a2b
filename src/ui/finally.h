#pragma once

#include <functional>

namespace carexa::ui {

/// Runs `action`, then `after` whether or not the action threw (the exception goes on).
inline void RunThenAlways(const std::function<void()> &action, const std::function<void()> &after)
{
    try {
        action();
    } catch (...) {
        after();
        throw;
    }
    after();
}

} // namespace carexa::ui
