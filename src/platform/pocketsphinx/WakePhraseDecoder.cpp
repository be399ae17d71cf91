#include "platform/pocketsphinx/WakePhraseDecoder.h"

#include "platform/pocketsphinx/CommandGrammar.h"

#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/err.h>
#include <sphinxbase/ngram_model.h>

namespace orbix {

namespace {

constexpr const char* commandSearch = "command";
constexpr const char* wakeSearch = "wake";
// The voice-activity detector notices speech a little after it starts; a spot this close before the
// utterance belongs to it.
constexpr qint64 spotSlackSamples = recognitionSampleRate / 2;
// The grammar puts the wake phrase first: a spot later than this into the utterance is some other speech.
constexpr qint64 latestSpotSamples = recognitionSampleRate * 5 / 2;

// Whether the grammar's alignment of the wake phrase's last word ("orbix", the distinctive one) has the
// duration and acoustic fit of the spoken word.
bool wakeWordAlignmentPlausible(ps_decoder_t* grammar, const WakePhraseDecoderSettings& settings) {
    const QByteArray wakeWord = CommandGrammar::wakePhrase.section(QLatin1Char(' '), -1).toUtf8();
    for (ps_seg_t* segment = ps_seg_iter(grammar); segment; segment = ps_seg_next(segment)) {
        if (wakeWord != ps_seg_word(segment)) {
            continue;
        }
        int startFrame = 0;
        int endFrame = 0;
        ps_seg_frames(segment, &startFrame, &endFrame);
        int32 acousticScore = 0;
        int32 languageScore = 0;
        int32 backoff = 0;
        ps_seg_prob(segment, &acousticScore, &languageScore, &backoff);
        ps_seg_free(segment);
        const int frames = endFrame - startFrame + 1;
        return frames >= settings.minimumWakeWordFrames &&
               acousticScore >= qint64(settings.minimumWakeWordScorePerFrame) * frames;
    }
    return false;
}

QByteArray argument(double value) {
    return QByteArray::number(value, 'g', 6);
}

// pocketsphinx logs every step of its set-up to standard error; the listener reports failures itself.
void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { err_set_logfp(nullptr); });
}

} // namespace

PocketsphinxModel PocketsphinxModel::installed() {
    QString root = qEnvironmentVariable("ORBIX_POCKETSPHINX_MODEL_DIR");
    if (root.isEmpty()) {
        root = QStringLiteral(ORBIX_POCKETSPHINX_MODEL_DIR);
    }
    const QDir dir(root);
    return {dir.filePath(QStringLiteral("en-us")), dir.filePath(QStringLiteral("cmudict-en-us.dict"))};
}

bool PocketsphinxModel::exists() const {
    return QFileInfo(acousticModelDirectory).isDir() &&
           QFileInfo::exists(acousticModelDirectory + QStringLiteral("/mdef")) &&
           QFileInfo(dictionaryPath).isFile();
}

struct WakePhraseDecoder::Native {
    ps_decoder_t* grammar = nullptr;
    ps_decoder_t* spotter = nullptr;
    ps_decoder_t* verifier = nullptr;
    ~Native() {
        ps_free(grammar);
        ps_free(spotter);
        ps_free(verifier);
    }
};

namespace {

// A decoder over the model with the wake phrase's word added. Dither: digital silence (all zeros, as from
// a muted or synthetic source) upsets the voice-activity detector's noise estimate, which then cuts words
// out of the next utterance; a fixed seed keeps runs repeatable.
ps_decoder_t* createDecoder(const PocketsphinxModel& model, const WakePhraseDecoderSettings& settings,
                            double beam) {
    const QByteArray hmm = QFile::encodeName(model.acousticModelDirectory);
    const QByteArray dict = QFile::encodeName(model.dictionaryPath);
    const QByteArray postSpeech = QByteArray::number(settings.silenceFramesToEnd);
    const QByteArray threshold = argument(settings.voiceActivityThreshold);
    const QByteArray keyphraseThreshold = argument(settings.keyphraseThreshold);
    const QByteArray searchBeam = argument(beam);
    cmd_ln_t* config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-dict", dict.constData(), "-samprate",
                    "16000", "-vad_postspeech", postSpeech.constData(), "-vad_threshold", threshold.constData(),
                    "-kws_threshold", keyphraseThreshold.constData(), "-beam", searchBeam.constData(),
                    "-dither", "yes", "-seed", "14", nullptr);
    if (!config) {
        return nullptr;
    }
    ps_decoder_t* decoder = ps_init(config);
    cmd_ln_free_r(config);
    if (!decoder) {
        return nullptr;
    }
    const auto extraWords = CommandGrammar::extraDictionaryWords();
    for (size_t i = 0; i < extraWords.size(); ++i) {
        const bool last = i + 1 == extraWords.size();
        // An existing word is not an error: the dictionary may already know it.
        ps_add_word(decoder, extraWords[i].first.toUtf8().constData(),
                    extraWords[i].second.toUtf8().constData(), last ? TRUE : FALSE);
    }
    return decoder;
}

} // namespace

std::unique_ptr<WakePhraseDecoder> WakePhraseDecoder::create(const PocketsphinxModel& model,
                                                             const WakePhraseDecoderSettings& settings,
                                                             QString* error) {
    auto fail = [error](const QString& reason) {
        if (error) {
            *error = reason;
        }
        return nullptr;
    };
    if (!model.exists()) {
        return fail(QStringLiteral("The speech model is missing (%1).").arg(model.acousticModelDirectory));
    }
    silenceLibraryLog();
    auto native = std::make_unique<Native>();
    native->grammar = createDecoder(model, settings, 1e-48);
    native->spotter = createDecoder(model, settings, settings.keyphraseBeam);
    if (settings.languageModelCheck) {
        native->verifier = createDecoder(model, settings, 1e-48);
        const QByteArray path =
            QFile::encodeName(QFileInfo(model.dictionaryPath).dir().filePath(QStringLiteral("en-us.lm.bin")));
        ngram_model_t* languageModel = native->verifier
                                           ? ngram_model_read(ps_get_config(native->verifier), path.constData(),
                                                              NGRAM_AUTO, ps_get_logmath(native->verifier))
                                           : nullptr;
        if (!languageModel) {
            return fail(QStringLiteral("The speech recogniser could not load its language model."));
        }
        // The wake word as likely as an ordinary word of the model.
        ngram_model_add_word(languageModel, CommandGrammar::wakePhrase.section(QLatin1Char(' '), -1).toUtf8(),
                             1.0f);
        const bool set = ps_set_lm(native->verifier, "general", languageModel) == 0 &&
                         ps_set_search(native->verifier, "general") == 0;
        ngram_model_free(languageModel);
        if (!set) {
            return fail(QStringLiteral("The speech recogniser could not load its language model."));
        }
    }
    if (!native->grammar || !native->spotter) {
        return fail(QStringLiteral("The speech recogniser could not load its model."));
    }
    const auto knownWord = [decoder = native->grammar](const QString& word) {
        char* phones = ps_lookup_word(decoder, word.toUtf8().constData());
        ckd_free(phones);
        return phones != nullptr;
    };
    const QByteArray grammar = CommandGrammar::jsgf(settings.decoyWords, knownWord).toUtf8();
    const QByteArray keyphrase = CommandGrammar::wakePhrase.toUtf8();
    if (ps_set_jsgf_string(native->grammar, commandSearch, grammar.constData()) != 0 ||
        ps_set_search(native->grammar, commandSearch) != 0 ||
        ps_set_keyphrase(native->spotter, wakeSearch, keyphrase.constData()) != 0 ||
        ps_set_search(native->spotter, wakeSearch) != 0) {
        return fail(QStringLiteral("The speech recogniser rejected its command grammar."));
    }
    if (ps_start_utt(native->grammar) != 0 || ps_start_utt(native->spotter) != 0) {
        return fail(QStringLiteral("The speech recogniser could not start."));
    }
    return std::unique_ptr<WakePhraseDecoder>(new WakePhraseDecoder(std::move(native), settings));
}

WakePhraseDecoder::WakePhraseDecoder(std::unique_ptr<Native> native, const WakePhraseDecoderSettings& settings)
    : native_(std::move(native)), settings_(settings), energyGate_(settings.speechEnergyMarginDb) {
    if (settings_.noiseSuppressionDb > 0) {
        suppressor_ = std::make_unique<NoiseSuppressor>(settings_.noiseSuppressionDb);
    }
}

WakePhraseDecoder::~WakePhraseDecoder() {
    ps_end_utt(native_->grammar);
    ps_end_utt(native_->spotter);
}

void WakePhraseDecoder::feed(std::span<const qint16> samples, std::vector<DecodedUtterance>& ended) {
    if (suppressor_) {
        suppressor_->process(samples, pending_);
    } else {
        pending_.insert(pending_.end(), samples.begin(), samples.end());
    }
    // Frame by frame, so that the end of speech is seen where it happens rather than a buffer later.
    constexpr size_t frame = SpeechEnergyGate::frameSamples;
    size_t offset = 0;
    for (; offset + frame <= pending_.size(); offset += frame) {
        decodeFrame(std::span(pending_).subspan(offset, frame), ended);
    }
    pending_.erase(pending_.begin(), pending_.begin() + ptrdiff_t(offset));
}

void WakePhraseDecoder::decodeFrame(std::span<const qint16> frame, std::vector<DecodedUtterance>& ended) {
    const qint64 limit = qint64(settings_.maximumUtterance.count()) * recognitionSampleRate / 1000;
    ps_process_raw(native_->grammar, frame.data(), frame.size(), FALSE, FALSE);
    ps_process_raw(native_->spotter, frame.data(), frame.size(), FALSE, FALSE);
    samplesFed_ += qint64(frame.size());
    // The first spot that can belong to the current (or next) utterance counts: later ones are further
    // from its start, and an older one is too early for it.
    if (ps_get_hyp(native_->spotter, nullptr)) {
        const qint64 earliest = (inUtterance_ ? utteranceStartSample_ : samplesFed_) - spotSlackSamples;
        if (spottedAtSample_ < earliest) {
            spottedAtSample_ = samplesFed_;
        }
        restartSpotting();
    }
    const bool detectorSpeech = ps_get_in_speech(native_->grammar) != 0;
    bool talking = true;
    if (settings_.speechEnergyMarginDb > 0) {
        if (energyGate_.frame(frame)) {
            lastEnergeticSample_ = samplesFed_;
        }
        const qint64 hangover = qint64(settings_.silenceFramesToEnd) * SpeechEnergyGate::frameSamples;
        talking = lastEnergeticSample_ >= 0 && samplesFed_ - lastEnergeticSample_ < hangover;
    }
    const bool inSpeech = detectorSpeech && talking;
    if (native_->verifier && inUtterance_) {
        utteranceAudio_.insert(utteranceAudio_.end(), frame.begin(), frame.end());
    }
    if (inSpeech && !inUtterance_) {
        inUtterance_ = true;
        utteranceStartSample_ = samplesFed_;
        utteranceAudio_.clear();
    } else if (inUtterance_ && (!inSpeech || samplesFed_ - utteranceStartSample_ >= limit)) {
        endUtterance(&ended);
    }
}

void WakePhraseDecoder::finish(std::vector<DecodedUtterance>& ended) {
    ps_process_raw(native_->grammar, pending_.data(), pending_.size(), FALSE, FALSE);
    ps_process_raw(native_->spotter, pending_.data(), pending_.size(), FALSE, FALSE);
    samplesFed_ += qint64(pending_.size());
    pending_.clear();
    if (inUtterance_) {
        // The spotter reports a phrase that ends with the audio only once its utterance ends.
        ps_end_utt(native_->spotter);
        if (ps_get_hyp(native_->spotter, nullptr)) {
            spottedAtSample_ = samplesFed_;
        }
        ps_start_utt(native_->spotter);
        endUtterance(&ended);
    }
}

void WakePhraseDecoder::reset() {
    endUtterance(nullptr);
    restartSpotting();
    spottedAtSample_ = -1;
    samplesFed_ = 0;
    pending_.clear();
    energyGate_.reset();
    lastEnergeticSample_ = -1;
    if (settings_.noiseSuppressionDb > 0) {
        suppressor_ = std::make_unique<NoiseSuppressor>(settings_.noiseSuppressionDb);
    }
}

void WakePhraseDecoder::endUtterance(std::vector<DecodedUtterance>* ended) {
    ps_end_utt(native_->grammar);
    if (ended && inUtterance_) {
        const char* words = ps_get_hyp(native_->grammar, nullptr);
        const QString hypothesis = words ? QString::fromUtf8(words) : QString();
        const bool spotted = spottedAtSample_ >= utteranceStartSample_ - spotSlackSamples &&
                             spottedAtSample_ <= utteranceStartSample_ + latestSpotSamples;
        const bool confirmed = spotted && wakeWordAlignmentPlausible(native_->grammar, settings_) &&
                               (!native_->verifier || languageModelHearsWakeWord());
        ended->push_back(
            {confirmed ? CommandGrammar::transcript(hypothesis) : QString(), hypothesis, samplesFed_});
    }
    inUtterance_ = false;
    spottedAtSample_ = -1;
    ps_start_utt(native_->grammar);
}

bool WakePhraseDecoder::languageModelHearsWakeWord() {
    ps_start_utt(native_->verifier);
    ps_process_raw(native_->verifier, utteranceAudio_.data(), utteranceAudio_.size(), FALSE, TRUE);
    ps_end_utt(native_->verifier);
    const char* words = ps_get_hyp(native_->verifier, nullptr);
    const QString wakeWord = CommandGrammar::wakePhrase.section(QLatin1Char(' '), -1);
    return words && QString::fromUtf8(words).split(QLatin1Char(' ')).contains(wakeWord);
}

void WakePhraseDecoder::restartSpotting() {
    ps_end_utt(native_->spotter);
    ps_start_utt(native_->spotter);
}

} // namespace orbix
