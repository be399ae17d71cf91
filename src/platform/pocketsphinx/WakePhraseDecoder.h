#pragma once
// A synchronous pocketsphinx decoder for the wake phrase and its command. Fed 16 kHz mono signed 16-bit
// PCM in capture order, it splits the stream into utterances by pocketsphinx's voice-activity state (or a
// time limit) and reports each utterance's transcript when it ends. Not thread-safe: one thread at a time.
//
// Two pocketsphinx decoders hear the same audio: one decodes each utterance with the command grammar, the
// other spots the wake phrase continuously. An utterance counts as addressed to us only when the grammar
// heard the wake phrase and the spotter found it during that utterance: the grammar alone fits any speech
// to "hey orbix …"; keyphrase spotting alone cannot read the command that follows.

#include "platform/pocketsphinx/NoiseSuppressor.h"
#include "platform/pocketsphinx/SpeechEnergyGate.h"

#include <QString>
#include <chrono>
#include <memory>
#include <span>
#include <vector>

namespace orbix {

inline constexpr int recognitionSampleRate = 16000;

// The American English acoustic model and pronunciation dictionary.
struct PocketsphinxModel {
    QString acousticModelDirectory;
    QString dictionaryPath;

    // The model this build was configured with; ORBIX_POCKETSPHINX_MODEL_DIR names another folder holding
    // en-us/ and cmudict-en-us.dict.
    static PocketsphinxModel installed();
    bool exists() const;
};

struct WakePhraseDecoderSettings {
    // An utterance that runs this long without a pause is ended anyway.
    std::chrono::milliseconds maximumUtterance{10000};
    // Frames of 10 ms of silence that end an utterance.
    int silenceFramesToEnd = 40;
    // The voice-activity detector's threshold (log ratio of signal to noise level).
    double voiceActivityThreshold = 2.0;
    // Keyphrase spotting's detection threshold: the smaller, the more readily the wake phrase is confirmed.
    double keyphraseThreshold = 1e-50;
    // Keyphrase spotting's search beam (smaller is wider).
    double keyphraseBeam = 1e-150;
    // The grammar's alignment of the wake word must look like the word: spoken, it lasts well over this
    // many 10 ms frames and fits the model at least this well (pocketsphinx's acoustic score per frame).
    // Everyday speech forced into the grammar squeezes the word into a few frames of some other sound.
    int minimumWakeWordFrames = 30;
    int minimumWakeWordScorePerFrame = -55;
    // Speech ends also when the loudest talker's energy falls back to the background's for the frames
    // above, whatever pocketsphinx's detector says (which hears babble as speech without end); a frame
    // counts as the talker's when it stands this many dB above the background. Zero turns the gate off,
    // which is the default: at 6 dB it ends utterances in babble, but cuts commands short in steady noise
    // (10 dB pink: 53 % of detected commands read correctly instead of 97 %), and a wrong command edits
    // photos, where an utterance that runs to the 10 s limit only waits.
    double speechEnergyMarginDb = 0;
    // speexdsp noise suppression before both decoders, attenuating noise by up to this many dB; zero
    // feeds the audio as it comes.
    int noiseSuppressionDb = 0;
    // Words like the wake word in the grammar beside it (see CommandGrammar::jsgf).
    bool decoyWords = false;
    // A second check of a confirmed wake: the utterance decoded again with the general English language
    // model must hold the wake word, so that real words compete with it.
    bool languageModelCheck = false;
};

struct DecodedUtterance {
    // The wake phrase and its command with numbers as digits; empty for speech that is not addressed to us.
    QString transcript;
    // What the grammar matched, word for word, whether or not keyphrase spotting confirmed it.
    QString hypothesis;
    // Samples fed, in total, when the utterance was reported: its end plus the silence that ended it.
    qint64 reportedAtSample = 0;
};

class WakePhraseDecoder {
public:
    // None, with the reason, when the model is missing or the decoder cannot be set up.
    static std::unique_ptr<WakePhraseDecoder> create(const PocketsphinxModel& model,
                                                     const WakePhraseDecoderSettings& settings, QString* error);
    ~WakePhraseDecoder();
    WakePhraseDecoder(const WakePhraseDecoder&) = delete;
    WakePhraseDecoder& operator=(const WakePhraseDecoder&) = delete;

    // Decodes the samples; utterances that ended within them are appended to `ended`.
    void feed(std::span<const qint16> samples, std::vector<DecodedUtterance>& ended);
    // The audio ends: a running utterance is reported.
    void finish(std::vector<DecodedUtterance>& ended);
    // Drops the running utterance and starts afresh; the sample count starts at zero again.
    void reset();

private:
    struct Native;
    explicit WakePhraseDecoder(std::unique_ptr<Native> native, const WakePhraseDecoderSettings& settings);
    void decodeFrame(std::span<const qint16> frame, std::vector<DecodedUtterance>& ended);
    void endUtterance(std::vector<DecodedUtterance>* ended);
    void restartSpotting();
    bool languageModelHearsWakeWord();

    std::unique_ptr<Native> native_;
    WakePhraseDecoderSettings settings_;
    qint64 samplesFed_ = 0;
    qint64 utteranceStartSample_ = 0;
    bool inUtterance_ = false;
    // Where the spotter last found the wake phrase; negative when it has not since the last utterance.
    qint64 spottedAtSample_ = -1;
    std::unique_ptr<NoiseSuppressor> suppressor_;
    SpeechEnergyGate energyGate_;
    qint64 lastEnergeticSample_ = -1;
    // Audio not yet decoded: less than a frame.
    std::vector<qint16> pending_;
    // The running utterance's audio, for the language model's check.
    std::vector<qint16> utteranceAudio_;
};

} // namespace orbix
