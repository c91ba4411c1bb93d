#pragma once

// Linking FailingFileCalls.cpp into a test program replaces the file calls of
// AtomicFile (platform/FileCalls.h), as FailingNew.cpp replaces allocation,
// so that a test can make one of them fail.

enum class FileCall { None, TmpfileOpen, Write, Flush, Close, Link, Rename };

/// Every call of this kind fails with g_failFileCallErrno until a test sets
/// None again; each failure adds one to g_fileCallsFailed.
extern FileCall g_failFileCall;
extern int g_failFileCallErrno;
extern int g_fileCallsFailed;
