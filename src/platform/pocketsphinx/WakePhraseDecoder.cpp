#include "platform/pocketsphinx/WakePhraseDecoder.h"

#include "platform/pocketsphinx/CommandGrammar.h"

#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <pocketsphinx.h>
#include <sphinxbase/err.h>

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
    ~Native() {
        ps_free(grammar);
        ps_free(spotter);
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
    if (!native->grammar || !native->spotter) {
        return fail(QStringLiteral("The speech recogniser could not load its model."));
    }
    const QByteArray grammar = CommandGrammar::jsgf().toUtf8();
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
    : native_(std::move(native)), settings_(settings) {}

WakePhraseDecoder::~WakePhraseDecoder() {
    ps_end_utt(native_->grammar);
    ps_end_utt(native_->spotter);
}

void WakePhraseDecoder::feed(std::span<const qint16> samples, std::vector<DecodedUtterance>& ended) {
    const qint64 limit = qint64(settings_.maximumUtterance.count()) * recognitionSampleRate / 1000;
    // Small steps, so that the end of speech is seen where it happens rather than a buffer later.
    constexpr size_t step = recognitionSampleRate / 50;
    for (size_t offset = 0; offset < samples.size(); offset += step) {
        const size_t count = std::min(step, samples.size() - offset);
        const qint16* chunk = samples.data() + offset;
        ps_process_raw(native_->grammar, chunk, count, FALSE, FALSE);
        ps_process_raw(native_->spotter, chunk, count, FALSE, FALSE);
        samplesFed_ += qint64(count);
        // The first spot that can belong to the current (or next) utterance counts: later ones are further
        // from its start, and an older one is too early for it.
        if (ps_get_hyp(native_->spotter, nullptr)) {
            const qint64 earliest = (inUtterance_ ? utteranceStartSample_ : samplesFed_) - spotSlackSamples;
            if (spottedAtSample_ < earliest) {
                spottedAtSample_ = samplesFed_;
            }
            restartSpotting();
        }
        const bool inSpeech = ps_get_in_speech(native_->grammar) != 0;
        if (inSpeech && !inUtterance_) {
            inUtterance_ = true;
            utteranceStartSample_ = samplesFed_;
        } else if (inUtterance_ && (!inSpeech || samplesFed_ - utteranceStartSample_ >= limit)) {
            endUtterance(&ended);
        }
    }
}

void WakePhraseDecoder::finish(std::vector<DecodedUtterance>& ended) {
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
}

void WakePhraseDecoder::endUtterance(std::vector<DecodedUtterance>* ended) {
    ps_end_utt(native_->grammar);
    if (ended && inUtterance_) {
        const char* words = ps_get_hyp(native_->grammar, nullptr);
        const QString hypothesis = words ? QString::fromUtf8(words) : QString();
        const bool spotted = spottedAtSample_ >= utteranceStartSample_ - spotSlackSamples &&
                             spottedAtSample_ <= utteranceStartSample_ + latestSpotSamples;
        const bool confirmed = spotted && wakeWordAlignmentPlausible(native_->grammar, settings_);
        ended->push_back(
            {confirmed ? CommandGrammar::transcript(hypothesis) : QString(), hypothesis, samplesFed_});
    }
    inUtterance_ = false;
    spottedAtSample_ = -1;
    ps_start_utt(native_->grammar);
}

void WakePhraseDecoder::restartSpotting() {
    ps_end_utt(native_->spotter);
    ps_start_utt(native_->spotter);
}

} // namespace orbix
