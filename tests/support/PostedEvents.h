#pragma once

// Needs a QCoreApplication (or QApplication) while it runs.

/// Delivers every posted event, queued call and deferred delete now.
void drainPostedEvents();

/// From now on drains after every test, once its fixture is gone, so that no
/// test receives another's events whatever the order the tests run in.
void drainAfterEachTest();
