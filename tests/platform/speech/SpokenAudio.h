#pragma once
// Speech for the recogniser's tests, synthesised at test time: espeak-ng's American English voice,
// converted by sox to 16 kHz mono PCM16 with silence around it.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace orbix::test {

// Why spoken test audio cannot be made here (espeak-ng or sox missing); none when it can.
std::optional<QString> spokenAudioUnavailableReason();

// The samples of `text` spoken, with `silenceMs` of silence before and after; empty on failure.
std::vector<qint16> spokenSamples(const QString& text, int silenceMs = 600);

// The samples resampled by sox to `rate` as 32-bit float, interleaved over `channels` channels.
QByteArray spokenFloatSamples(const QString& text, int rate, int channels);

} // namespace orbix::test
