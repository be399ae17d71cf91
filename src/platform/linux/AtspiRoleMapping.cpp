#include "platform/linux/AtspiRoleMapping.h"

#include <QSet>

namespace orbix::atspimapping {

AXRole axRole(AtspiRole role, bool editable, bool multiLine) {
    const auto ax = [](const char* name, const char* subrole = "") {
        return AXRole{QLatin1String(name), QLatin1String(subrole)};
    };
    switch (role) {
    case ATSPI_ROLE_APPLICATION:
        return ax("AXApplication");
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
        return ax("AXWindow");
    case ATSPI_ROLE_DIALOG:
    case ATSPI_ROLE_FILE_CHOOSER:
    case ATSPI_ROLE_ALERT:
        return ax("AXWindow", "AXDialog");
    case ATSPI_ROLE_PUSH_BUTTON:
        return ax("AXButton");
    case ATSPI_ROLE_TOGGLE_BUTTON:
        return ax("AXButton", "AXToggle");
    case ATSPI_ROLE_PUSH_BUTTON_MENU:
        return ax("AXMenuButton");
    case ATSPI_ROLE_CHECK_BOX:
        return ax("AXCheckBox");
    case ATSPI_ROLE_RADIO_BUTTON:
        return ax("AXRadioButton");
    case ATSPI_ROLE_PAGE_TAB:
        return ax("AXRadioButton", "AXTabButton");
    case ATSPI_ROLE_PAGE_TAB_LIST:
        return ax("AXTabGroup");
    case ATSPI_ROLE_COMBO_BOX:
        return editable ? ax("AXComboBox") : ax("AXPopUpButton");
    case ATSPI_ROLE_LINK:
        return ax("AXLink");
    case ATSPI_ROLE_MENU_ITEM:
    case ATSPI_ROLE_CHECK_MENU_ITEM:
    case ATSPI_ROLE_RADIO_MENU_ITEM:
    case ATSPI_ROLE_TEAROFF_MENU_ITEM:
        return ax("AXMenuItem");
    case ATSPI_ROLE_MENU:
        return ax("AXMenuBarItem");
    case ATSPI_ROLE_POPUP_MENU:
        return ax("AXMenu");
    case ATSPI_ROLE_MENU_BAR:
        return ax("AXMenuBar");
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_EDITBAR:
    case ATSPI_ROLE_AUTOCOMPLETE:
        if (!editable) {
            return ax("AXStaticText");
        }
        return multiLine ? ax("AXTextArea") : ax("AXTextField");
    case ATSPI_ROLE_PASSWORD_TEXT:
        return ax("AXTextField", "AXSecureTextField");
    case ATSPI_ROLE_DOCUMENT_TEXT:
    case ATSPI_ROLE_TERMINAL:
        return editable ? ax("AXTextArea") : ax("AXStaticText");
    case ATSPI_ROLE_LABEL:
    case ATSPI_ROLE_STATIC:
    case ATSPI_ROLE_CAPTION:
    case ATSPI_ROLE_HEADING:
    case ATSPI_ROLE_PARAGRAPH:
    case ATSPI_ROLE_ACCELERATOR_LABEL:
    case ATSPI_ROLE_STATUS_BAR:
        return ax("AXStaticText");
    case ATSPI_ROLE_TABLE_ROW:
    case ATSPI_ROLE_LIST_ITEM:
    case ATSPI_ROLE_TREE_ITEM:
        return ax("AXRow");
    case ATSPI_ROLE_TABLE_CELL:
        return ax("AXCell");
    case ATSPI_ROLE_PANEL:
    case ATSPI_ROLE_FILLER:
    case ATSPI_ROLE_GROUPING:
    case ATSPI_ROLE_SECTION:
    case ATSPI_ROLE_FORM:
    case ATSPI_ROLE_LANDMARK:
    case ATSPI_ROLE_INTERNAL_FRAME:
        return ax("AXGroup");
    case ATSPI_ROLE_TOOL_BAR:
        return ax("AXToolbar");
    case ATSPI_ROLE_SLIDER:
    case ATSPI_ROLE_DIAL:
        return ax("AXSlider");
    case ATSPI_ROLE_SPIN_BUTTON:
        return ax("AXIncrementor");
    case ATSPI_ROLE_SCROLL_BAR:
        return ax("AXScrollBar");
    case ATSPI_ROLE_SCROLL_PANE:
    case ATSPI_ROLE_VIEWPORT:
        return ax("AXScrollArea");
    case ATSPI_ROLE_SPLIT_PANE:
        return ax("AXSplitGroup");
    case ATSPI_ROLE_PROGRESS_BAR:
    case ATSPI_ROLE_LEVEL_BAR:
        return ax("AXProgressIndicator");
    case ATSPI_ROLE_IMAGE:
    case ATSPI_ROLE_ICON:
    case ATSPI_ROLE_DESKTOP_ICON:
        return ax("AXImage");
    case ATSPI_ROLE_TABLE:
        return ax("AXTable");
    case ATSPI_ROLE_LIST:
    case ATSPI_ROLE_LIST_BOX:
        return ax("AXList");
    case ATSPI_ROLE_TREE:
    case ATSPI_ROLE_TREE_TABLE:
        return ax("AXOutline");
    case ATSPI_ROLE_COLUMN_HEADER:
    case ATSPI_ROLE_ROW_HEADER:
    case ATSPI_ROLE_TABLE_COLUMN_HEADER:
    case ATSPI_ROLE_TABLE_ROW_HEADER:
        return ax("AXCell");
    case ATSPI_ROLE_SEPARATOR:
        return ax("AXSplitter");
    case ATSPI_ROLE_TOOL_TIP:
        return ax("AXHelpTag");
    case ATSPI_ROLE_DOCUMENT_WEB:
    case ATSPI_ROLE_DOCUMENT_FRAME:
        return ax("AXWebArea");
    default:
        return ax("AXUnknown");
    }
}

QString axActionName(const QString& atspiActionName) {
    static const QSet<QString> pressLike{
        QStringLiteral("press"), QStringLiteral("click"), QStringLiteral("activate"), QStringLiteral("toggle"),
        QStringLiteral("jump"),  QStringLiteral("open"),  QStringLiteral("axpress")};
    return pressLike.contains(atspiActionName.trimmed().toLower()) ? QStringLiteral("AXPress")
                                                                   : atspiActionName;
}

} // namespace orbix::atspimapping
