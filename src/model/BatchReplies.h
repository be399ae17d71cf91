#pragma once
// The words of a batch that ran in chunks: one reply for the whole batch from the chunks' replies, and
// how far a stopped batch got.

#include <QString>
#include <QStringList>

namespace orbix::batchreplies {

// The chunks' replies as one: lines that differ only in their count of variants ("… on 100 selected
// variant(s).") become one line with the counts added up, in the order first seen; any other line is
// kept once.
QString combined(const QStringList& replies);

// "Stopped after 300 of 2,000 photos."
QString stoppedAfter(qsizetype done, qsizetype total);
// "Changing photos in Capture One: 300 of 2,000 done."
QString progress(qsizetype done, qsizetype total);

} // namespace orbix::batchreplies
