#pragma once
// Which user turn each model response and tool call belongs to, and when a response's tool calls have all
// been answered so that exactly one follow-up response may be asked for.
//
// The server transcribes the user's speech asynchronously with the response that speech triggers: the
// transcript may arrive before the response starts, between its events, or after its tool call. A turn
// begins when the server reports speech (or a committed input buffer) and keeps its transcript for every
// response it caused, the follow-ups the client asks for included. Events without ids (a server that
// leaves them out) fall back to the latest turn and the latest response in progress.

#include <QString>
#include <deque>
#include <memory>
#include <optional>

namespace orbix {

class RealtimeTurns {
public:
    struct Turn {
        QString itemID;
        QString transcript;
        // The transcription completed or failed; until then a tool call of this turn cannot be judged.
        bool isTranscriptSettled = false;
    };
    using TurnPointer = std::shared_ptr<Turn>;

    // What a tool call is judged against and whose follow-up it counts towards.
    struct CallOrigin {
        QString responseKey;
        TurnPointer turn;
    };

    // Bounds on what a hostile or broken server can make this remember.
    static constexpr std::size_t maximumRememberedTurns = 8;
    static constexpr std::size_t maximumOpenResponses = 8;

    // Speech started or the input buffer was committed; both name the same item for one utterance.
    void beginTurn(const QString& itemID);
    // A completed transcription (`transcript` set) or a failed one; answers the turn it settled.
    TurnPointer transcriptionSettled(const QString& itemID, const std::optional<QString>& transcript);

    void responseCreated(const QString& responseID);
    // The turn a follow-up is now due for: the response is over and each of its tool calls answered.
    std::optional<TurnPointer> responseDone(const QString& responseID);

    CallOrigin callArrived(const QString& responseID);
    // The same after a call was answered; a response never seen starting has nothing left to wait for.
    std::optional<TurnPointer> callAnswered(const CallOrigin& origin);
    // The client asked for a response about `turn`'s calls: the next response to start belongs to it.
    void followUpRequested(const TurnPointer& turn);

    void clear();

private:
    struct Response {
        QString id;
        TurnPointer turn;
        bool isDone = false;
        int unansweredCalls = 0;
        int answeredCalls = 0;
        bool isFollowUpSent = false;
    };

    TurnPointer remember(const QString& itemID);
    TurnPointer rememberedTurn(const QString& itemID) const;
    Response* response(const QString& id);
    Response* latestOpenResponse();
    // Forgets the responses that need nothing more; `response` may be among them.
    std::optional<TurnPointer> takeFollowUpIfDue(Response& response);
    void forgetFinishedResponses();

    TurnPointer currentTurn_;
    std::deque<TurnPointer> turns_;
    std::deque<Response> responses_;
    TurnPointer followUpTurn_;
};

} // namespace orbix
