#pragma once
// Where the simulated catalog lives and how it is read and written: an exclusive lock across processes
// (flock on a sibling ".lock" file, released by the kernel even when the process dies), a load that never
// replaces a damaged file, and atomic writes (temporary file + rename).

#include "engine/Catalog.h"

#include <QString>
#include <optional>

namespace orbix::c1sim {

inline constexpr const char* kCatalogEnvironmentVariable = "ORBIX_C1SIM_CATALOG";
// Test hook: milliseconds to wait between writing the temporary file and renaming it into place, so a
// test can kill the process in the middle of a write.
inline constexpr const char* kWriteDelayEnvironmentVariable = "ORBIX_C1SIM_TEST_WRITE_DELAY_MS";

class CatalogStore {
public:
    explicit CatalogStore(QString path);
    ~CatalogStore();
    CatalogStore(const CatalogStore&) = delete;
    CatalogStore& operator=(const CatalogStore&) = delete;

    // The catalog path: the command-line option when given, else $ORBIX_C1SIM_CATALOG, else
    // "<user data location>/Orbix/Capture One Simulator/catalog.json".
    static QString resolvePath(const QString& option);

    const QString& path() const { return path_; }

    // Takes the exclusive lock, waiting for other processes to finish. Idempotent.
    bool lock(QString* reason);
    // The catalog on disk, or the sample catalog when there is no file yet. A file that cannot be read or
    // is not a catalog yields none and a reason; the file is left untouched.
    std::optional<Catalog> load(QString* reason);
    // Writes atomically; call with the lock held. Temporary files left by a writer that died are removed.
    bool save(const Catalog& catalog, QString* reason);

private:
    void removeStaleTemporaryFiles() const;

    QString path_;
    int lockDescriptor_ = -1;
};

} // namespace orbix::c1sim
