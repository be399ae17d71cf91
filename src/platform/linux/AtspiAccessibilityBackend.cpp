#include "platform/linux/AtspiAccessibilityBackend.h"

#include "platform/PlatformAccessibility.h"
#include "platform/linux/AccessibilityBus.h"
#include "platform/linux/AtspiRoleMapping.h"
#include "platform/linux/X11Session.h"
#include "platform/linux/XTestInput.h"

#include <QHash>
#include <atspi/atspi.h>

namespace orbix {

namespace {

// One AT-SPI object; identity is its application's bus name and its object path.
class AtspiElement : public AccessibleElement {
public:
    explicit AtspiElement(AtspiAccessible* accessible) : accessible_(accessible) {
        // AtspiObject keeps the owning application (with its bus name) and the object path.
        const AtspiObject* object = ATSPI_OBJECT(accessible);
        busName_ = QByteArray(object->app && object->app->bus_name ? object->app->bus_name : "");
        path_ = QByteArray(object->path ? object->path : "");
    }
    ~AtspiElement() override { g_object_unref(accessible_); }
    AtspiElement(const AtspiElement&) = delete;
    AtspiElement& operator=(const AtspiElement&) = delete;

    std::size_t hash() const override { return qHash(busName_) ^ (qHash(path_) * 31u); }
    bool sameElement(const AccessibleElement& other) const override {
        const auto* element = dynamic_cast<const AtspiElement*>(&other);
        return element && element->busName_ == busName_ && element->path_ == path_;
    }
    AtspiAccessible* accessible() const { return accessible_; }

private:
    AtspiAccessible* accessible_;
    QByteArray busName_;
    QByteArray path_;
};

// Takes ownership of one reference.
ElementRef wrap(AtspiAccessible* accessible) {
    if (!accessible) {
        return nullptr;
    }
    return std::make_shared<AtspiElement>(accessible);
}

AtspiAccessible* native(const ElementRef& element) {
    const auto* atspi = dynamic_cast<const AtspiElement*>(element.get());
    return atspi ? atspi->accessible() : nullptr;
}

// Frees a GError and reports whether there was one.
bool failed(GError*& error) {
    if (!error) {
        return false;
    }
    g_error_free(error);
    error = nullptr;
    return true;
}

// Takes ownership of a g_malloc'ed string.
std::optional<QString> takeString(gchar* text, GError*& error) {
    if (failed(error) || !text) {
        g_free(text);
        return std::nullopt;
    }
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

template <typename Interface>
struct GObjectUnref {
    void operator()(Interface* object) const { g_object_unref(object); }
};
template <typename Interface>
using GObjectPointer = std::unique_ptr<Interface, GObjectUnref<Interface>>;

} // namespace

struct AtspiAccessibilityBackend::Impl {
    bool initialised = false;
    x11::XTestInput input;

    bool ensureInitialised() {
        if (initialised) {
            return true;
        }
        // atspi_init ends the process when it finds no bus, so the bus is probed first.
        const auto address = a11ybus::address();
        if (!address || !a11ybus::isReachable(*address)) {
            return false;
        }
        atspi_init();
        initialised = true;
        return true;
    }

    static std::optional<atspimapping::AXRole> roleOf(AtspiAccessible* accessible) {
        GError* error = nullptr;
        const AtspiRole role = atspi_accessible_get_role(accessible, &error);
        if (failed(error)) {
            return std::nullopt;
        }
        bool editable = false;
        bool multiLine = false;
        if (AtspiStateSet* states = atspi_accessible_get_state_set(accessible)) {
            editable = atspi_state_set_contains(states, ATSPI_STATE_EDITABLE);
            multiLine = atspi_state_set_contains(states, ATSPI_STATE_MULTI_LINE);
            g_object_unref(states);
        }
        return atspimapping::axRole(role, editable, multiLine);
    }

    static std::optional<QString> textContent(AtspiAccessible* accessible) {
        GObjectPointer<AtspiText> text(atspi_accessible_get_text_iface(accessible));
        if (!text) {
            return std::nullopt;
        }
        GError* error = nullptr;
        const gint count = atspi_text_get_character_count(text.get(), &error);
        if (failed(error) || count < 0) {
            return std::nullopt;
        }
        return takeString(atspi_text_get_text(text.get(), 0, count, &error), error);
    }

    static std::optional<QString> objectAttribute(AtspiAccessible* accessible, const char* name) {
        GError* error = nullptr;
        GHashTable* attributes = atspi_accessible_get_attributes(accessible, &error);
        if (failed(error) || !attributes) {
            if (attributes) {
                g_hash_table_unref(attributes);
            }
            return std::nullopt;
        }
        std::optional<QString> value;
        if (const auto* text = static_cast<const gchar*>(g_hash_table_lookup(attributes, name))) {
            value = QString::fromUtf8(text);
        }
        g_hash_table_unref(attributes);
        return value;
    }

    static std::optional<AtspiRect> extents(AtspiAccessible* accessible) {
        GObjectPointer<AtspiComponent> component(atspi_accessible_get_component_iface(accessible));
        if (!component) {
            return std::nullopt;
        }
        GError* error = nullptr;
        AtspiRect* rect = atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, &error);
        if (failed(error) || !rect) {
            g_free(rect);
            return std::nullopt;
        }
        const AtspiRect copy = *rect;
        g_free(rect);
        // Toolkits report unknown extents with a negative size.
        if (copy.width < 0 || copy.height < 0) {
            return std::nullopt;
        }
        return copy;
    }

    // The AT-SPI action names, in order.
    static QStringList rawActionNames(AtspiAccessible* accessible, GObjectPointer<AtspiAction>& action) {
        action.reset(atspi_accessible_get_action_iface(accessible));
        QStringList names;
        if (!action) {
            return names;
        }
        GError* error = nullptr;
        const gint count = atspi_action_get_n_actions(action.get(), &error);
        if (failed(error)) {
            return names;
        }
        for (gint i = 0; i < count; ++i) {
            names.append(
                takeString(atspi_action_get_action_name(action.get(), i, &error), error).value_or(QString()));
        }
        return names;
    }
};

AtspiAccessibilityBackend::AtspiAccessibilityBackend() : impl_(std::make_unique<Impl>()) {}
AtspiAccessibilityBackend::~AtspiAccessibilityBackend() = default;

bool AtspiAccessibilityBackend::isProcessTrusted(bool) {
    return impl_->ensureInitialised();
}

ElementRef AtspiAccessibilityBackend::applicationElement(qint64 pid) {
    if (!impl_->ensureInitialised()) {
        return nullptr;
    }
    GObjectPointer<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (!desktop) {
        return nullptr;
    }
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(desktop.get(), &error);
    if (failed(error)) {
        return nullptr;
    }
    for (gint i = 0; i < count; ++i) {
        AtspiAccessible* application = atspi_accessible_get_child_at_index(desktop.get(), i, &error);
        if (failed(error) || !application) {
            continue;
        }
        const guint applicationPid = atspi_accessible_get_process_id(application, &error);
        if (!failed(error) && static_cast<qint64>(applicationPid) == pid) {
            return wrap(application);
        }
        g_object_unref(application);
    }
    return nullptr;
}

ElementRef AtspiAccessibilityBackend::frontmostApplicationElement() {
    const auto pid = x11::X11Session().activeWindowProcessId();
    return pid ? applicationElement(*pid) : nullptr;
}

std::optional<QString> AtspiAccessibilityBackend::stringAttribute(const ElementRef& element,
                                                                  StringAttribute attribute) {
    AtspiAccessible* accessible = native(element);
    if (!accessible) {
        return std::nullopt;
    }
    GError* error = nullptr;
    switch (attribute) {
    case StringAttribute::role:
    case StringAttribute::subrole: {
        const auto role = Impl::roleOf(accessible);
        if (!role) {
            return std::nullopt;
        }
        const QString& text = attribute == StringAttribute::role ? role->role : role->subrole;
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    }
    case StringAttribute::title:
        return takeString(atspi_accessible_get_name(accessible, &error), error);
    case StringAttribute::description:
        return takeString(atspi_accessible_get_description(accessible, &error), error);
    case StringAttribute::value: {
        // Text inputs carry their text as the value; other objects have no string value.
        const auto role = Impl::roleOf(accessible);
        if (!role ||
            !(role->role == QLatin1String("AXTextField") || role->role == QLatin1String("AXTextArea") ||
              role->role == QLatin1String("AXComboBox"))) {
            return std::nullopt;
        }
        if (role->subrole == QLatin1String("AXSecureTextField")) {
            return std::nullopt;
        }
        return Impl::textContent(accessible);
    }
    case StringAttribute::help:
        return Impl::objectAttribute(accessible, "tooltip");
    case StringAttribute::placeholderValue:
        return Impl::objectAttribute(accessible, "placeholder-text");
    case StringAttribute::identifier: {
        auto identifier = takeString(atspi_accessible_get_accessible_id(accessible, &error), error);
        if (identifier && identifier->isEmpty()) {
            return std::nullopt;
        }
        return identifier;
    }
    }
    return std::nullopt;
}

std::optional<ScreenPoint> AtspiAccessibilityBackend::position(const ElementRef& element) {
    AtspiAccessible* accessible = native(element);
    const auto rect = accessible ? Impl::extents(accessible) : std::nullopt;
    if (!rect) {
        return std::nullopt;
    }
    return ScreenPoint{static_cast<double>(rect->x), static_cast<double>(rect->y)};
}

std::optional<ScreenSize> AtspiAccessibilityBackend::size(const ElementRef& element) {
    AtspiAccessible* accessible = native(element);
    const auto rect = accessible ? Impl::extents(accessible) : std::nullopt;
    if (!rect) {
        return std::nullopt;
    }
    return ScreenSize{static_cast<double>(rect->width), static_cast<double>(rect->height)};
}

std::vector<ElementRef> AtspiAccessibilityBackend::children(const ElementRef& element, ChildList list,
                                                            std::size_t limit) {
    std::vector<ElementRef> result;
    AtspiAccessible* accessible = native(element);
    // AT-SPI has one child list; rows, columns and tabs are ordinary children there.
    if (!accessible || list != ChildList::children) {
        return result;
    }
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(accessible, &error);
    if (failed(error)) {
        return result;
    }
    const auto wanted = std::min(static_cast<std::size_t>(std::max(count, 0)), limit);
    result.reserve(wanted);
    for (gint i = 0; i < count && result.size() < wanted; ++i) {
        AtspiAccessible* child = atspi_accessible_get_child_at_index(accessible, i, &error);
        if (failed(error) || !child) {
            continue;
        }
        result.push_back(wrap(child));
    }
    return result;
}

QStringList AtspiAccessibilityBackend::actionNames(const ElementRef& element) {
    AtspiAccessible* accessible = native(element);
    if (!accessible) {
        return {};
    }
    GObjectPointer<AtspiAction> action;
    QStringList names = Impl::rawActionNames(accessible, action);
    for (QString& name : names) {
        name = atspimapping::axActionName(name);
    }
    names.removeDuplicates();
    return names;
}

ElementStates AtspiAccessibilityBackend::states(const ElementRef& element) {
    ElementStates result;
    AtspiAccessible* accessible = native(element);
    AtspiStateSet* stateSet = accessible ? atspi_accessible_get_state_set(accessible) : nullptr;
    if (!stateSet) {
        return result;
    }
    // Toolkits mark the highlighted menu item either focused (Qt) or selected (GTK).
    GError* error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(accessible, &error);
    const bool menuItem =
        !failed(error) && (role == ATSPI_ROLE_MENU_ITEM || role == ATSPI_ROLE_CHECK_MENU_ITEM ||
                           role == ATSPI_ROLE_RADIO_MENU_ITEM || role == ATSPI_ROLE_MENU);
    result.focused = atspi_state_set_contains(stateSet, ATSPI_STATE_FOCUSED) ||
                     (menuItem && atspi_state_set_contains(stateSet, ATSPI_STATE_SELECTED));
    result.defaultButton = atspi_state_set_contains(stateSet, ATSPI_STATE_IS_DEFAULT);
    g_object_unref(stateSet);
    return result;
}

bool AtspiAccessibilityBackend::performPress(const ElementRef& element) {
    AtspiAccessible* accessible = native(element);
    if (!accessible) {
        return false;
    }
    GObjectPointer<AtspiAction> action;
    const QStringList names = Impl::rawActionNames(accessible, action);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (atspimapping::axActionName(names[i]) == pressActionName) {
            GError* error = nullptr;
            const gboolean done = atspi_action_do_action(action.get(), static_cast<gint>(i), &error);
            return !failed(error) && done;
        }
    }
    return false;
}

bool AtspiAccessibilityBackend::setFocused(const ElementRef& element, bool focused) {
    AtspiAccessible* accessible = native(element);
    // AT-SPI can give focus but not take it away.
    if (!accessible || !focused) {
        return false;
    }
    GObjectPointer<AtspiComponent> component(atspi_accessible_get_component_iface(accessible));
    if (!component) {
        return false;
    }
    GError* error = nullptr;
    const gboolean done = atspi_component_grab_focus(component.get(), &error);
    return !failed(error) && done;
}

void AtspiAccessibilityBackend::postClick(ScreenPoint point) {
    impl_->input.postClick(point);
}

void AtspiAccessibilityBackend::postCharacter(const QString& character) {
    impl_->input.postCharacter(character);
}

void AtspiAccessibilityBackend::postKey(std::uint16_t keyCode, ModifierFlags modifiers) {
    impl_->input.postKey(keyCode, modifiers);
}

std::unique_ptr<AccessibilityBackend> createAccessibilityBackend() {
    return std::make_unique<AtspiAccessibilityBackend>();
}

} // namespace orbix
