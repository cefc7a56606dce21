#pragma once

#include <QtGlobal>

#include <QList>

namespace peers::queryxml {

// How the fast scanner shares a large body among threads: a body of at least `minChars`
// characters is cut at row starts into stretches of about `stretchChars`; helper threads scan
// stretches from the last one backwards while the reader reads from the start and takes the
// rows of each stretch a helper has scanned. The parsed answer is the same either way; what
// does not fit (a cut that falls elsewhere than between rows, a stretch that holds anything but
// rows) the reader reads in order as usual.
struct ScanSplit {
    qsizetype minChars = 1 << 17;
    qsizetype stretchChars = 1 << 17;
    int threads = 1; // the reader's own included
    // Where to cut, in characters, instead of every `stretchChars` (for tests).
    QList<qsizetype> at;
    // When set, counts the stretches whose rows were taken from a helper (for tests).
    int* taken = nullptr;
    // The reader waits for a helper to scan each stretch rather than scan one itself that no
    // helper has finished (for tests).
    bool waitForThreads = false;

    // One thread per core, up to four; below the size a thread costs more than it saves.
    static ScanSplit automatic();
};

} // namespace peers::queryxml
