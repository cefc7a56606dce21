#include "peers/QueryXmlRowPieces.h"

#include <QThread>
#include <algorithm>
#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif
#include <system_error>

namespace peers::queryxml {

ScanSplit ScanSplit::automatic() {
    ScanSplit split;
    split.threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    return split;
}

qsizetype RowPieces::rowStartFrom(QStringView text, qsizetype from) {
    for (qsizetype at = text.indexOf(u"<Row", from); at >= 0; at = text.indexOf(u"<Row", at + 4)) {
        const char16_t after = at + 4 < text.size() ? text[at + 4].unicode() : 0;
        if (after == u' ' || after == u'/' || after == u'>' || after == u'\t' || after == u'\n' ||
            after == u'\r')
            return at;
    }
    return -1;
}

RowPieces::RowPieces(QStringView text, const ScanSplit& split, ScanPiece scan)
    : m_shared(std::make_shared<Shared>()), m_taken(split.taken),
      m_waitForThreads(split.waitForThreads) {
    m_shared->scan = std::move(scan);
    m_shared->readerWaits = m_waitForThreads;
    QList<qsizetype> starts = split.at;
    if (starts.isEmpty()) {
        const qsizetype step = std::max<qsizetype>(1, split.stretchChars);
        for (qsizetype from = step; from < text.size(); from += step) {
            const qsizetype at = rowStartFrom(text, from);
            if (at < 0)
                break;
            starts.append(at);
            from = std::max(from, at);
        }
    }
    starts.removeIf([&](qsizetype at) { return at < 0 || at >= text.size(); });
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (qsizetype i = 0; i < starts.size(); ++i) {
        auto slot = std::make_unique<Slot>();
        slot->piece.start = starts[i];
        slot->piece.end = starts[i];
        slot->piece.limit = i + 1 < starts.size() ? starts[i + 1] : text.size();
        m_shared->stretches.push_back(std::move(slot));
    }
    m_shared->helpersNext.store(qsizetype(m_shared->stretches.size()) - 1);
    const int helpers =
        m_shared->stretches.empty() ? 0 : std::max(split.threads - 1, m_waitForThreads ? 1 : 0);
    try {
        for (; m_helpers < helpers; ++m_helpers)
            std::thread([shared = m_shared] { help(*shared); }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the reader reads the stretches itself.
    }
}

RowPieces::~RowPieces() {
    for (const auto& slot : m_shared->stretches)
        abandon(*slot);
}

void RowPieces::help(Shared& shared) {
#if defined(__linux__)
    // Only time no other thread wants: on a busy machine the reader reads on at its own pace
    // instead of sharing its core with a helper. (A reader that waits for its helpers needs
    // them to run.)
    if (!shared.readerWaits) {
        const sched_param idle{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
    }
#endif
    for (qsizetype at = shared.helpersNext.fetch_sub(1); at >= 0;
         at = shared.helpersNext.fetch_sub(1)) {
        Slot& slot = *shared.stretches[at];
        int pending = Pending;
        if (!slot.state.compare_exchange_strong(pending, Running))
            return; // the reader got here first: the stretches before are its own
        shared.scan(slot.piece, slot.stop);
        {
            std::lock_guard lock(shared.mutex);
            slot.state.store(Done);
        }
        shared.done.notify_all();
    }
}

void RowPieces::abandon(Slot& slot) {
    slot.stop.store(true, std::memory_order_relaxed);
    int pending = Pending;
    slot.state.compare_exchange_strong(pending, Abandoned);
}

RowPieces::Piece* RowPieces::take(qsizetype pos, bool usable) {
    const auto& stretches = m_shared->stretches;
    while (m_next < stretches.size() && stretches[m_next]->piece.start < pos)
        abandon(*stretches[m_next++]);
    if (m_next == stretches.size() || stretches[m_next]->piece.start != pos)
        return nullptr;
    Slot& slot = *stretches[m_next++];
    if (!usable) {
        abandon(slot);
        return nullptr;
    }
    if (m_waitForThreads && m_helpers > 0) {
        std::unique_lock lock(m_shared->mutex);
        m_shared->done.wait(lock, [&] { return slot.state.load() == Done; });
    } else if (slot.state.load() != Done) {
        // Not begun, or a helper is at it: reading it here costs no more than waiting for the
        // rest of it, and never waits on a helper that a busy machine gives no core.
        abandon(slot);
        return nullptr;
    }
    if (slot.piece.end == slot.piece.start)
        return nullptr;
    if (m_taken)
        ++*m_taken;
    return &slot.piece;
}

} // namespace peers::queryxml
