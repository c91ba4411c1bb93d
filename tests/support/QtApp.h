#pragma once

#include <functional>

// Linking QtApp.cpp into a test binary gives it a QApplication for all its
// tests (headless under QT_QPA_PLATFORM=offscreen), and settings in a private
// folder of the binary's own (PrivateSettings.h).

/// Runs the event loop for about `ms` milliseconds.
void spinEvents(int ms);

/// Runs the event loop until `done` holds or `timeoutMs` pass; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
