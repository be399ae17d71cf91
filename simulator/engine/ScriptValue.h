#pragma once
// Values of the interpreted AppleScript subset: missing value, booleans, integers, reals, text, lists
// (shared and mutable, as in AppleScript), records, file objects, enumerators and references to objects of
// the simulated application.

#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace orbix::c1sim {

// A reference to an application object. Objects are named by identifiers so that a reference stays valid
// while the catalog changes underneath it.
struct ObjectRef {
    enum class Kind { Application, HostApplication, Document, Variant, Adjustments, Layer };
    Kind kind = Kind::Application;
    QString applicationName; // as addressed in the tell block
    QString variantId;
    qint64 layerId = 0;

    bool operator==(const ObjectRef&) const = default;
};

struct FileRef {
    QString path;
    bool operator==(const FileRef&) const = default;
};

struct Enumerator {
    QString name;
    bool operator==(const Enumerator&) const = default;
};

struct MissingValue {
    bool operator==(const MissingValue&) const = default;
};

class Value;
using List = std::vector<Value>;
using ListPtr = std::shared_ptr<List>;
using Record = std::vector<std::pair<QString, Value>>;

class Value {
public:
    using Storage = std::variant<MissingValue, bool, qint64, double, QString, ListPtr, std::shared_ptr<Record>,
                                 FileRef, Enumerator, ObjectRef>;

    Value() = default;
    Value(bool b) : v_(b) {}
    Value(int i) : v_(qint64(i)) {}
    Value(qint64 i) : v_(i) {}
    Value(double d) : v_(d) {}
    Value(QString s) : v_(std::move(s)) {}
    Value(const char*) = delete;
    Value(ListPtr list) : v_(std::move(list)) {}
    Value(Record record) : v_(std::make_shared<Record>(std::move(record))) {}
    Value(FileRef file) : v_(std::move(file)) {}
    Value(Enumerator e) : v_(std::move(e)) {}
    Value(ObjectRef ref) : v_(std::move(ref)) {}

    static Value list(List items = {}) { return Value(std::make_shared<List>(std::move(items))); }

    template <typename T>
    bool is() const {
        return std::holds_alternative<T>(v_);
    }
    template <typename T>
    const T& as() const {
        return std::get<T>(v_);
    }
    bool isMissing() const { return is<MissingValue>(); }
    bool isNumber() const { return is<qint64>() || is<double>(); }
    double toDouble() const { return is<qint64>() ? double(as<qint64>()) : as<double>(); }
    const List& items() const { return *as<ListPtr>(); }
    List& mutableItems() const { return *as<ListPtr>(); }
    const Record& record() const { return *as<std::shared_ptr<Record>>(); }

    // A copy whose lists are new lists (so that appending a list to itself cannot build a cycle).
    Value deepCopy() const;
    // How many values this one holds, counting itself: the interpreter's memory budget.
    qint64 weight() const;

private:
    Storage v_;
};

// The AppleScript class name of a value, as error messages use it ("text", "integer", "list" …).
QString className(const Value& value);
// The human-readable form osascript prints: text without quotes, lists comma-separated.
QString displayText(const Value& value);
// The source form used inside error messages: text in quotes, lists in braces.
QString sourceText(const Value& value);
// The text a value coerces to (for "&" and "as text"); none for values that have no text form.
std::optional<QString> coerceToText(const Value& value);
// Equality as AppleScript's "is"/"=": text ignoring case, integer 1 equal to real 1.0.
bool valuesEqual(const Value& a, const Value& b);
// A real as AppleScript writes it: 25.0, -0.5, 1.0E+4, 1.0E-5.
QString formatReal(double value);

} // namespace orbix::c1sim
