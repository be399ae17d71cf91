#pragma once
// Resolves named settings (secrets such as the OpenAI API key, service addresses): the process environment
// first, then ".env.local" files in a fixed list of places. Stateless: every lookup re-reads the
// environment and the files, so an edited file counts at the next lookup.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orbix {

// A setting resolver: the value of a named setting, or none. LocalEnvironment::value is the product's one;
// tests and callers that must not see the developer's files inject their own.
using SettingLookup = std::function<std::optional<QString>(const QString& name)>;

namespace LocalEnvironment {

// The resolved, non-empty value of a setting. An empty value (in the environment or a file) counts as
// unset at that place and the search goes on.
std::optional<QString> value(const QString& name);

// The value of the first line defining `name` in one file (possibly empty), or none when the file is
// missing, unreadable, not UTF-8, or has no such line.
std::optional<QString> value(const QString& name, const QString& filePath);

// The same rules applied to file contents already in memory (UTF-8 bytes).
std::optional<QString> valueInContents(const QString& name, const QByteArray& contents);

// The ordered, de-duplicated list of ".env.local" files searched by value(name).
QStringList candidateEnvFiles();

// value(name) as a SettingLookup.
SettingLookup settingLookup();

} // namespace LocalEnvironment
} // namespace orbix
