#pragma once
// The simulated catalog: the application state (running flag, last addressed name, scripts run), the
// installed styles, the adjustments clipboard and the one open document with its variants, layers,
// selection and processing queue. Plain data with JSON conversion; the rules live in SimulatedApplication.

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace orbix::c1sim {

struct LayerMask {
    bool filled = false;
    bool inverted = false;
    bool rasterized = false;
    bool lumaRange = false;
    double feather = 0;
    double refine = 0;

    bool isEmpty() const { return !filled && !inverted && !lumaRange; }
};

struct Layer {
    qint64 id = 0;
    QString name;
    qint64 opacity = 100;
    bool enabled = true;
    bool background = false;
    LayerMask mask;
};

struct CropRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// One value per row of the adjustment table, stored sparsely: a row never set reads as its default, so a
// catalog of untouched variants costs next to nothing to load.
class AdjustmentValues {
public:
    size_t size() const;
    const QJsonValue& operator[](size_t index) const;
    // A settable slot (created holding the default).
    QJsonValue& operator[](size_t index);
    bool operator==(const AdjustmentValues& other) const;

private:
    std::vector<std::pair<size_t, QJsonValue>> slots_; // sorted by index
};

struct Variant {
    QString id;
    QString name;
    QString path;
    qint64 width = 6000;
    qint64 height = 4000;
    qint64 rating = 0;
    qint64 colorTag = 0;
    bool pick = false;
    QString cropAspectRatio = QStringLiteral("Original");
    QString cropOrientation = QStringLiteral("landscape");
    CropRect crop;
    AdjustmentValues adjustments;
    std::vector<Layer> layers;
    qint64 currentLayerId = 0;
    // Spots healed with the window's Spot Removal tool (no scripting term reaches them).
    qint64 spotRemovals = 0;

    Layer* layer(qint64 id);
};

struct QueueEntry {
    QString variantId;
    QString name;
    QString path;
};

// One variant written by the window's Export Variants command (no scripting term reaches it).
struct ExportEntry {
    QString variantId;
    QString name;
    QString file;
};

struct Style {
    QString name;
    std::vector<std::pair<int, QJsonValue>> adjustments; // adjustment table index, value
};

struct Document {
    QString name;
    std::vector<Variant> variants;
    std::vector<QString> selection; // variant ids in selection order
    QString primary;                // empty when nothing is selected
    std::vector<QueueEntry> queue;
    // Window state without scripting terms: the viewer's before/after split and the exports made.
    bool beforeAfter = false;
    std::vector<ExportEntry> exports;

    // Finds a variant by id through an index that rebuilds itself when the variants change.
    Variant* variant(const QString& id);

private:
    QHash<QString, size_t> index_;
};

struct Catalog {
    bool running = false;
    QString lastAddressedName;
    qint64 scriptsRun = 0;
    qint64 nextVariantId = 1;
    qint64 nextLayerId = 1;
    std::optional<Document> document;
    std::vector<Style> styles;
    std::optional<AdjustmentValues> clipboard;

    // A new variant for a photo file (not yet added to the document): fresh id, default adjustments,
    // a background layer, an uncropped frame.
    Variant makeVariant(const QString& path, qint64 width = 6000, qint64 height = 4000);
    // Appends one variant per path (skipping paths already present); returns how many were added.
    int addPhotos(const QStringList& paths);

    // The first-use catalog: a small sample document with five variants, the first selected, and styles.
    static Catalog sample();
    // A catalog whose document has `count` generated variants (with the sample styles).
    static Catalog withVariants(int count);
    // A catalog whose document holds the supported photos of a folder.
    static Catalog withPhotos(const QStringList& paths);

    // `complete` writes every adjustment (the dump); otherwise only those that differ from their default.
    QJsonObject toJson(bool complete) const;
    // The file form: the same schema with every value that equals its default left out, written directly
    // (several times faster than building a QJsonObject first).
    QByteArray toCompactJson() const;
    // Fails with a reason when the JSON is not a catalog of this schema.
    static std::optional<Catalog> fromJson(const QJsonObject& json, QString* reason);
};

AdjustmentValues defaultAdjustments();

} // namespace orbix::c1sim
