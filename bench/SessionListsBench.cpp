// The session's lists in their views, offscreen, on the GUI thread: one photo more in a tray of 2,000, one
// message more and one word more of a growing spoken reply in an open conversation strip of 500 messages.
// Each is measured as the views now take it (the row that changed) and as a reset of the whole list, which
// is what every change cost while the views rebuilt from one coarse signal.
#include "model/AppModel.h"
#include "views/ConversationTranscriptView.h"
#include "views/ImportedPhotoGridView.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

using orbix::AppModel;
using orbix::AppModelServices;
using orbix::ConversationMessage;
using orbix::ConversationRole;
using orbix::ImportedPhotoAsset;
using orbix::InputMode;

enum Update { row = 0, reset = 1 };

ImportedPhotoAsset photo(int number) {
    return ImportedPhotoAsset::make(QUrl::fromLocalFile(QStringLiteral("/shoot/LOF_%1.jpg").arg(number)));
}

ConversationMessage message(int number) {
    return ConversationMessage::make(
        number % 2 ? ConversationRole::assistant : ConversationRole::user, InputMode::quiet,
        QStringLiteral("Set rating to %1 on 2 selected variant(s).").arg(number % 6));
}

void BM_TrayTakesOneMorePhoto(benchmark::State& state) {
    AppModel model{AppModelServices{}};
    orbix::views::ImportedPhotoGridView grid(model);
    grid.resize(400, 700);
    grid.show();
    QList<ImportedPhotoAsset> photos;
    for (int i = 0; i < 2000; ++i) {
        photos << photo(i);
    }
    model.photoTrayModel().appendAll(photos);
    QCoreApplication::processEvents();
    int next = 2000;
    for (auto _ : state) {
        const ImportedPhotoAsset added = photo(next++);
        if (state.range(0) == row) {
            model.photoTrayModel().append(added);
        } else {
            QList<ImportedPhotoAsset> all = model.importedPhotos();
            all << added;
            model.photoTrayModel().reset(all);
        }
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(grid.thumbnails().size());
    }
    state.SetLabel(state.range(0) == row ? "row inserted" : "whole list reset");
}
BENCHMARK(BM_TrayTakesOneMorePhoto)->Arg(row)->Arg(reset)->Unit(benchmark::kMicrosecond)->Iterations(200);

// The strip open and in view, as a reader has it.
struct OpenStrip {
    AppModel model{AppModelServices{}};
    orbix::views::ConversationTranscriptView strip{model};

    OpenStrip() {
        QList<ConversationMessage> messages;
        for (int i = 0; i < 500; ++i) {
            messages << message(i);
        }
        model.conversationModel().reset(messages);
        strip.resize(600, 300);
        strip.show();
        QCoreApplication::processEvents();
    }
};

void BM_ConversationTakesOneMoreMessage(benchmark::State& state) {
    OpenStrip open;
    int next = 500;
    for (auto _ : state) {
        if (state.range(0) == row) {
            open.model.conversationModel().append(message(next++));
        } else {
            QList<ConversationMessage> all = open.model.messages();
            all << message(next++);
            open.model.conversationModel().reset(all);
        }
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(open.strip.document()->blockCount());
    }
    state.SetLabel(state.range(0) == row ? "row inserted" : "whole list reset");
}
BENCHMARK(BM_ConversationTakesOneMoreMessage)
    ->Arg(row)
    ->Arg(reset)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(50);

void BM_SpokenReplyGrowsByOneWord(benchmark::State& state) {
    OpenStrip open;
    QString reply = QStringLiteral("Rating");
    open.model.upsertRealtimeTranscript(reply);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        reply += QStringLiteral(" word");
        if (state.range(0) == row) {
            open.model.upsertRealtimeTranscript(reply);
        } else {
            QList<ConversationMessage> all = open.model.messages();
            all.last().content = reply;
            open.model.conversationModel().reset(all);
        }
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(open.strip.document()->blockCount());
    }
    state.SetLabel(state.range(0) == row ? "row changed" : "whole list reset");
}
BENCHMARK(BM_SpokenReplyGrowsByOneWord)->Arg(row)->Arg(reset)->Unit(benchmark::kMicrosecond)->Iterations(50);

} // namespace
