#pragma once
// A complete in-memory recogniser that records every call. Permission answers are given by the test
// (at once, or later with answer…), and results are delivered from a thread of the fake's own, as a
// recognition backend does. Safe to use from the listener's queue and the test's thread at once.

#include "voice/SpeechRecognizer.h"

#include <QThread>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

namespace orbix::test {

class FakeSpeechRecognizer final : public SpeechRecognizer {
    // Defined before its uses: its return type is deduced.
    template <typename Work>
    auto locked(Work&& work) const {
        std::lock_guard lock(mutex_);
        return work();
    }

public:
    // Settings the test may change at any time.
    void setAnswersAutomatically(bool answers) {
        locked([&] { answersAutomatically_ = answers; });
    }
    void setMicrophoneGranted(bool granted) {
        locked([&] { microphoneGranted_ = granted; });
    }
    void setRecognitionGranted(bool granted) {
        locked([&] { recognitionGranted_ = granted; });
    }
    void setRecognitionAvailable(bool available) {
        locked([&] { recognitionAvailable_ = available; });
    }
    // The next start fails with this text.
    void failNextStart(const QString& error) {
        locked([&] { nextStartError_ = error; });
    }

    int microphoneRequests() const {
        return locked([&] { return microphoneRequests_; });
    }
    int recognitionRequests() const {
        return locked([&] { return recognitionRequests_; });
    }
    int startCount() const {
        return locked([&] { return startCount_; });
    }
    int stopCount() const {
        return locked([&] { return stopCount_; });
    }
    bool isRunning() const {
        return locked([&] { return bool(handler_); });
    }
    // Every thread the listener called the recogniser on.
    std::set<QThread*> callingThreads() const {
        return locked([&] { return callingThreads_; });
    }

    // Answers the oldest pending request of that kind from another thread; false when none is pending.
    bool answerMicrophone(bool granted) { return answerOldest(pendingMicrophone_, granted); }
    bool answerRecognition(bool granted) { return answerOldest(pendingRecognition_, granted); }

    // Delivers a result from a recognition thread; false when recognition is not running.
    bool deliver(const QString& text, bool isFinal) {
        ResultHandler handler = locked([&] { return handler_; });
        if (!handler) {
            return false;
        }
        std::thread([&] { handler(SpeechRecognitionResult{text, isFinal}); }).join();
        return true;
    }
    // The handler of the latest start, kept after stop: a result already on its way when stop ran.
    ResultHandler latestHandler() const {
        return locked([&] { return latestHandler_; });
    }

    void requestMicrophoneAccess(PermissionAnswer answer) override {
        request(pendingMicrophone_, microphoneRequests_, microphoneGranted_, std::move(answer));
    }
    void requestRecognitionAuthorization(PermissionAnswer answer) override {
        request(pendingRecognition_, recognitionRequests_, recognitionGranted_, std::move(answer));
    }
    bool isRecognitionAvailable() const override {
        return locked([&] {
            callingThreads_.insert(QThread::currentThread());
            return recognitionAvailable_;
        });
    }
    std::optional<QString> start(ResultHandler handler) override {
        return locked([&]() -> std::optional<QString> {
            callingThreads_.insert(QThread::currentThread());
            ++startCount_;
            if (nextStartError_) {
                return std::exchange(nextStartError_, std::nullopt);
            }
            handler_ = handler;
            latestHandler_ = std::move(handler);
            return std::nullopt;
        });
    }
    void stop() override {
        locked([&] {
            callingThreads_.insert(QThread::currentThread());
            ++stopCount_;
            handler_ = {};
        });
    }

private:
    void request(std::deque<PermissionAnswer>& pending, int& count, const bool& granted,
                 PermissionAnswer answer) {
        bool answerNow = false;
        bool grantedNow = false;
        locked([&] {
            callingThreads_.insert(QThread::currentThread());
            ++count;
            answerNow = answersAutomatically_;
            grantedNow = granted;
            if (!answerNow) {
                pending.push_back(answer);
            }
        });
        if (answerNow) {
            std::thread([&] { answer(grantedNow); }).join();
        }
    }

    bool answerOldest(std::deque<PermissionAnswer>& pending, bool granted) {
        PermissionAnswer answer = locked([&]() -> PermissionAnswer {
            if (pending.empty()) {
                return {};
            }
            PermissionAnswer oldest = std::move(pending.front());
            pending.pop_front();
            return oldest;
        });
        if (!answer) {
            return false;
        }
        std::thread([&] { answer(granted); }).join();
        return true;
    }

    mutable std::mutex mutex_;
    mutable std::set<QThread*> callingThreads_;
    bool answersAutomatically_ = true;
    bool microphoneGranted_ = true;
    bool recognitionGranted_ = true;
    bool recognitionAvailable_ = true;
    std::optional<QString> nextStartError_;
    int microphoneRequests_ = 0;
    int recognitionRequests_ = 0;
    int startCount_ = 0;
    int stopCount_ = 0;
    std::deque<PermissionAnswer> pendingMicrophone_;
    std::deque<PermissionAnswer> pendingRecognition_;
    ResultHandler handler_;
    ResultHandler latestHandler_;
};

} // namespace orbix::test
