#pragma once
// Port: the text back end the application model asks when no local road claims a typed prompt.
//
// Contract: respond never fails. It calls its completion exactly once, from the event loop (never from
// inside respond), with an AssistantResponse whose message is the reply or a sentence describing the
// failure.

#include "core/ConversationRecords.h"

#include <QString>
#include <functional>

namespace orbix {

// One typed request; the provider reads only the prompt text.
struct AssistantRequest {
    QString prompt;
};

class AssistantProvider {
public:
    using ResponseCompletion = std::function<void(AssistantResponse)>;

    virtual ~AssistantProvider() = default;
    virtual AssistantProviderKind kind() const = 0;
    virtual void respond(const AssistantRequest& request, ResponseCompletion completion) const = 0;
    // False when respond could only answer that no text model is configured.
    virtual bool isConfigured() const { return true; }
};

} // namespace orbix
