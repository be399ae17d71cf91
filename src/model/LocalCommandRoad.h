#pragma once
// Decides whether a typed or spoken request runs here without the network: read by the parser's rules or the
// local grammar while Capture One is addressed (named, or the application in use), or whatever is addressed
// when no text model is configured. Holds a question asked for a missing value and takes the next request
// as its answer; a request that does not answer it drops the question and is judged as a new one.

#include "captureone/LocalCommandGrammar.h"
#include "core/ComputerUseArguments.h"

#include <QString>
#include <optional>

namespace orbix {

class LocalCommandRoad {
public:
    struct Decision {
        enum class Kind {
            notLocal, // the text model's
            run,      // run `arguments`
            ask,      // answer with `reply`, a question
            examples, // answer with `reply`, what Orbix understands without a text model
        };
        Kind kind = Kind::notLocal;
        ComputerUseArguments arguments;
        QString reply;
    };

    // The answer when no text model is configured and nothing here reads the request.
    static const QString examplesText;

    Decision decide(const QString& text, bool captureOneAddressed, bool textModelConfigured);
    bool isAsking() const { return question_.has_value(); }

private:
    std::optional<LocalQuestion> question_;
};

} // namespace orbix
