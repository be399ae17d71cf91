// Untrusted input: the contents of a ".env.local" file. The first byte picks the setting name looked up.
#include "services/LocalEnvironment.h"

#include <QStringList>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QStringList names{QStringLiteral("ORBIX_OPENAI_API_KEY"),
                                   QStringLiteral("OPENAI_API_KEY"),
                                   QStringLiteral("A"),
                                   QStringLiteral("export A"),
                                   QStringLiteral(""),
                                   QStringLiteral("=")};
    if (size == 0) {
        return 0;
    }
    const QString& name = names[data[0] % names.size()];
    const QByteArray contents(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const auto value = orbix::LocalEnvironment::valueInContents(name, contents);
    if (value && (value->startsWith(QLatin1Char('"')) || value->startsWith(QLatin1Char('\'')) ||
                  value->endsWith(QLatin1Char('"')) || value->endsWith(QLatin1Char('\'')))) {
        __builtin_trap(); // quotes must be stripped from both ends
    }
    return 0;
}
