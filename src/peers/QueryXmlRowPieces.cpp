#include "peers/QueryXmlRowPieces.h"

#include <QThread>
#include <algorithm>
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
    : m_scan(std::move(scan)), m_taken(split.taken), m_waitForThreads(split.waitForThreads) {
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
        m_slots.push_back(std::move(slot));
    }
    m_helpersNext.store(qsizetype(m_slots.size()) - 1);
    const int helpers = m_slots.empty() ? 0 : std::max(split.threads - 1, m_waitForThreads ? 1 : 0);
    m_helpers.reserve(helpers);
    try {
        for (int i = 0; i < helpers; ++i)
            m_helpers.emplace_back([this] { help(); });
    } catch (const std::system_error&) {
        // No thread to be had: the reader reads the stretches itself.
    }
}

RowPieces::~RowPieces() {
    for (const auto& slot : m_slots)
        abandon(*slot);
    for (std::thread& helper : m_helpers)
        helper.join();
}

void RowPieces::help() {
    for (qsizetype at = m_helpersNext.fetch_sub(1); at >= 0; at = m_helpersNext.fetch_sub(1)) {
        Slot& slot = *m_slots[at];
        int pending = Pending;
        if (!slot.state.compare_exchange_strong(pending, Running))
            return; // the reader got here first: the stretches before are its own
        m_scan(slot.piece, slot.stop);
        {
            std::lock_guard lock(m_mutex);
            slot.state.store(Done);
        }
        m_done.notify_all();
    }
}

void RowPieces::abandon(Slot& slot) {
    slot.stop.store(true, std::memory_order_relaxed);
    int pending = Pending;
    slot.state.compare_exchange_strong(pending, Abandoned);
}

RowPieces::Piece* RowPieces::take(qsizetype pos, bool usable) {
    while (m_next < m_slots.size() && m_slots[m_next]->piece.start < pos)
        abandon(*m_slots[m_next++]);
    if (m_next == m_slots.size() || m_slots[m_next]->piece.start != pos)
        return nullptr;
    Slot& slot = *m_slots[m_next++];
    if (!usable) {
        abandon(slot);
        return nullptr;
    }
    if (m_waitForThreads && !m_helpers.empty()) {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return slot.state.load() == Done; });
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
