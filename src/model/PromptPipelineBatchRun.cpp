// A tray batch on more photos than one chunk: chunk after chunk, with how far it got in the work
// description, stoppable between chunks, ending at the first chunk that fails. Every chunk's change folds
// into one record, so one undo takes back what the batch changed, however far it got.
#include "model/BatchReplies.h"
#include "model/PromptPipeline.h"

#include <QPointer>

namespace orbix {

struct PromptPipeline::BatchRun {
    ImportedPhotoBatchIntent intent;
    QStringList paths;
    BatchFinish finish;
    qsizetype handedOver = 0; // photos whose chunk has answered
    QStringList replies;
    std::optional<ChangeRecord> change;
};

void PromptPipeline::runBatchInChunks(const ImportedPhotoBatchIntent& intent, const QStringList& paths,
                                      BatchFinish finish) {
    host_.setWorkCancellable(true);
    auto run = std::make_shared<BatchRun>();
    run->intent = intent;
    run->paths = paths;
    run->finish = std::move(finish);
    runNextBatchChunk(std::move(run));
}

void PromptPipeline::runNextBatchChunk(std::shared_ptr<BatchRun> run) {
    const qsizetype total = run->paths.size();
    if (run->handedOver == total || host_.isCancelRequested()) {
        QString reply = batchreplies::combined(run->replies);
        if (run->handedOver < total) {
            const QString stopped = batchreplies::stoppedAfter(run->handedOver, total);
            reply = reply.isEmpty() ? stopped : stopped + QLatin1Char('\n') + reply;
        }
        run->finish(reply, run->change, true);
        return;
    }
    host_.setWorkDescription(batchreplies::progress(run->handedOver, total));
    const QStringList chunk = run->paths.mid(run->handedOver, batchChunkSize);
    QPointer<PromptPipeline> self(this);
    runBatchOperation(run->intent, chunk,
                      [self, run, chunkSize = chunk.size()](
                          const QString& reply, const std::optional<ChangeRecord>& change, bool succeeded) {
                          if (!self) {
                              return;
                          }
                          if (change) {
                              run->change ? run->change->merge(*change) : void(run->change = change);
                          }
                          if (!succeeded) {
                              // The failing chunk's own answer says why; the photos before it stay changed.
                              const QString earlier = batchreplies::combined(run->replies);
                              run->finish(batchreplies::stoppedAfter(run->handedOver, run->paths.size()) +
                                              QLatin1Char('\n') + reply +
                                              (earlier.isEmpty() ? QString() : QLatin1Char('\n') + earlier),
                                          run->change, false);
                              return;
                          }
                          run->replies << reply;
                          run->handedOver += chunkSize;
                          self->runNextBatchChunk(run);
                      });
}

} // namespace orbix
