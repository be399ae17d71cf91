#include "voice/RealtimeTurns.h"

#include <algorithm>

namespace orbix {

void RealtimeTurns::beginTurn(const QString& itemID) {
    if (!itemID.isEmpty() && rememberedTurn(itemID)) {
        return;
    }
    if (itemID.isEmpty() && currentTurn_ && currentTurn_->itemID.isEmpty() &&
        !currentTurn_->isTranscriptSettled) {
        return;
    }
    currentTurn_ = remember(itemID);
    // The user spoke again before the follow-up started: the next response answers the newer words.
    followUpTurn_.reset();
}

RealtimeTurns::TurnPointer RealtimeTurns::remember(const QString& itemID) {
    auto turn = std::make_shared<Turn>(Turn{itemID, {}, false});
    turns_.push_back(turn);
    while (turns_.size() > maximumRememberedTurns) {
        turns_.pop_front();
    }
    return turn;
}

RealtimeTurns::TurnPointer RealtimeTurns::rememberedTurn(const QString& itemID) const {
    const auto found = std::find_if(turns_.rbegin(), turns_.rend(),
                                    [&](const TurnPointer& turn) { return turn->itemID == itemID; });
    return found == turns_.rend() ? nullptr : *found;
}

RealtimeTurns::TurnPointer RealtimeTurns::transcriptionSettled(const QString& itemID,
                                                               const std::optional<QString>& transcript) {
    TurnPointer turn = itemID.isEmpty() ? nullptr : rememberedTurn(itemID);
    if (!turn && currentTurn_ && !currentTurn_->isTranscriptSettled &&
        (currentTurn_->itemID.isEmpty() || itemID.isEmpty())) {
        turn = currentTurn_;
    }
    if (!turn) {
        // Words of a turn the server never announced: remembered, and current unless a turn still waits
        // for its own words.
        turn = remember(itemID);
        if (!currentTurn_ || currentTurn_->isTranscriptSettled) {
            currentTurn_ = turn;
        }
    }
    turn->transcript = transcript.value_or(QString());
    turn->isTranscriptSettled = true;
    return turn;
}

void RealtimeTurns::responseCreated(const QString& responseID) {
    TurnPointer turn = followUpTurn_ ? std::exchange(followUpTurn_, nullptr) : currentTurn_;
    if (Response* known = response(responseID)) {
        known->turn = std::move(turn);
        return;
    }
    responses_.push_back(Response{responseID, std::move(turn)});
    while (responses_.size() > maximumOpenResponses) {
        responses_.pop_front();
    }
}

std::optional<RealtimeTurns::TurnPointer> RealtimeTurns::responseDone(const QString& responseID) {
    Response* done = responseID.isEmpty() ? latestOpenResponse() : response(responseID);
    if (!done) {
        return std::nullopt;
    }
    done->isDone = true;
    return takeFollowUpIfDue(*done);
}

RealtimeTurns::CallOrigin RealtimeTurns::callArrived(const QString& responseID) {
    Response* owner = responseID.isEmpty() ? latestOpenResponse() : response(responseID);
    if (!owner) {
        // A response never seen starting: the call stands on its own and is judged against the latest turn.
        return {responseID, currentTurn_};
    }
    ++owner->unansweredCalls;
    return {owner->id, owner->turn};
}

std::optional<RealtimeTurns::TurnPointer> RealtimeTurns::callAnswered(const CallOrigin& origin) {
    Response* owner = response(origin.responseKey);
    if (!owner) {
        return origin.turn;
    }
    owner->unansweredCalls = std::max(0, owner->unansweredCalls - 1);
    ++owner->answeredCalls;
    return takeFollowUpIfDue(*owner);
}

void RealtimeTurns::followUpRequested(const TurnPointer& turn) {
    followUpTurn_ = turn;
}

void RealtimeTurns::clear() {
    currentTurn_.reset();
    turns_.clear();
    responses_.clear();
    followUpTurn_.reset();
}

RealtimeTurns::Response* RealtimeTurns::response(const QString& id) {
    const auto found = std::find_if(responses_.rbegin(), responses_.rend(),
                                    [&](const Response& open) { return open.id == id; });
    return found == responses_.rend() ? nullptr : &*found;
}

RealtimeTurns::Response* RealtimeTurns::latestOpenResponse() {
    const auto found =
        std::find_if(responses_.rbegin(), responses_.rend(), [](const Response& open) { return !open.isDone; });
    return found == responses_.rend() ? nullptr : &*found;
}

std::optional<RealtimeTurns::TurnPointer> RealtimeTurns::takeFollowUpIfDue(Response& response) {
    std::optional<TurnPointer> due;
    if (response.isDone && response.unansweredCalls == 0 && response.answeredCalls > 0 &&
        !response.isFollowUpSent) {
        response.isFollowUpSent = true;
        due = response.turn;
    }
    forgetFinishedResponses();
    return due;
}

void RealtimeTurns::forgetFinishedResponses() {
    std::erase_if(responses_, [](const Response& open) {
        return open.isDone && open.unansweredCalls == 0 && (open.answeredCalls == 0 || open.isFollowUpSent);
    });
}

} // namespace orbix
