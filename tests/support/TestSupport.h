#pragma once
// Helpers shared by the tests: event-loop waiting, temporary files and environment overrides.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <ostream>

namespace orbix::test {

// Runs the event loop until the condition holds or the time-out passes; returns whether it holds.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Writes a file (creating parent folders) and returns its path.
QString writeFile(const QString& path, const QByteArray& content);
// Writes an executable shell script.
QString writeExecutable(const QString& path, const QByteArray& script);

// A program on PATH, else in one of the extra folders; empty when neither has it.
QString findProgram(const QString& name, const QStringList& extraPaths = {});
// The AT-SPI bus launcher (it lives outside PATH); empty when at-spi2-core is missing.
QString accessibilityBusLauncher();

// Sets (or, with no value, removes) an environment variable for the lifetime of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<QByteArray> value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    QByteArray name_;
    std::optional<QByteArray> previous_;
};

} // namespace orbix::test

// Readable QString values in GoogleTest failure messages.
inline void PrintTo(const QString& value, std::ostream* out) {
    *out << '"' << value.toStdString() << '"';
}
