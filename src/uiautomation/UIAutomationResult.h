#pragma once
// The outcome of every UI-fallback operation: success or failure with a sentence, the process is not
// trusted for accessibility, or the caller's veto stopped it at the matched element before any input was
// sent. The dispatcher words these for the user.

#include <QString>

namespace orbix {

class UIAutomationResult {
public:
    enum class Outcome { success, failure, accessibilityNotTrusted, refused };

    static UIAutomationResult success(QString detail) { return {Outcome::success, std::move(detail)}; }
    static UIAutomationResult failure(QString detail) { return {Outcome::failure, std::move(detail)}; }
    static UIAutomationResult accessibilityNotTrusted() { return {Outcome::accessibilityNotTrusted, {}}; }
    static UIAutomationResult refused() { return {Outcome::refused, {}}; }

    Outcome outcome() const { return outcome_; }
    bool isSuccess() const { return outcome_ == Outcome::success; }
    // The sentence of a success or failure; empty otherwise.
    const QString& detail() const { return detail_; }

    friend bool operator==(const UIAutomationResult&, const UIAutomationResult&) = default;

private:
    UIAutomationResult(Outcome outcome, QString detail) : outcome_(outcome), detail_(std::move(detail)) {}

    Outcome outcome_;
    QString detail_;
};

} // namespace orbix
