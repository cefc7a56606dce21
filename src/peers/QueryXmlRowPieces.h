#pragma once

#include "peers/DBSRow.h"
#include "peers/QueryXmlScanSplit.h"

#include <QList>
#include <QStringView>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace peers::queryxml {

// Stretches of rows of one body scanned ahead by helper threads, from the last stretch
// backwards, while the reader reads the body from its start. When the reader arrives at a
// stretch's first row that a helper has scanned, it takes the stretch's rows and goes on where
// that scan stopped; a stretch no helper has finished it reads itself (the helper at it stops),
// so the two meet in the middle and the reader never waits, however busy the machine is.
class RowPieces {
public:
    struct Piece {
        qsizetype start = 0; // the '<' of its first row
        qsizetype limit = 0; // no row starting at or past this is read
        qsizetype end = 0;   // where the reader goes on after the rows
        QList<DBSRow> rows;
    };
    // Scans `piece` from its start, filling its end and rows; ends early once `stop` is set.
    using ScanPiece = std::function<void(Piece& piece, const std::atomic<bool>& stop)>;

    static constexpr qsizetype none = std::numeric_limits<qsizetype>::max();

    RowPieces(QStringView text, const ScanSplit& split, ScanPiece scan);
    // Stops the scans still running without waiting for them: a helper keeps what it
    // shares with the reader (the scan, and with it the text's owner) until it ends.
    ~RowPieces();
    RowPieces(const RowPieces&) = delete;
    RowPieces& operator=(const RowPieces&) = delete;

    // Where the next stretch not yet passed starts; `none` when there is none.
    qsizetype nextStart() const {
        return m_next < m_shared->stretches.size() ? m_shared->stretches[m_next]->piece.start
                                                   : none;
    }
    // The reader is at `pos`, at or past nextStart(), about to read a child element. When a
    // stretch starts right there, `usable` says the reader would take its rows as rows of the
    // open result set, and a helper has finished rows of it: answers the stretch. Else null,
    // and the reader reads on itself.
    Piece* take(qsizetype pos, bool usable);

    // Where a stretch of `text` could start: the first row element at or after `from`.
    static qsizetype rowStartFrom(QStringView text, qsizetype from);

private:
    enum State { Pending, Running, Done, Abandoned };
    struct Slot {
        Piece piece;
        std::atomic<int> state{Pending};
        std::atomic<bool> stop{false};
    };
    // What the reader shares with the helpers, who keep it as long as they run: the reader
    // never waits for a helper that a busy machine gives no time.
    struct Shared {
        ScanPiece scan;
        bool readerWaits = false;
        std::vector<std::unique_ptr<Slot>> stretches;
        std::atomic<qsizetype> helpersNext; // the helpers' next stretch, counting down
        std::mutex mutex;
        std::condition_variable done;
    };
    static void help(Shared& shared);
    static void abandon(Slot& slot);

    std::shared_ptr<Shared> m_shared;
    int* m_taken;
    bool m_waitForThreads;
    int m_helpers = 0;
    std::size_t m_next = 0; // the reader's next stretch
};

} // namespace peers::queryxml
