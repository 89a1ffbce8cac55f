#pragma once

#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` passed; the result of `done`.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 20000);
