# The window shell: main window, conversation workspace, microphone control, composer, menus, symbols and
# palette.
list(APPEND ORBIX_VIEWS_SOURCES
    BusyIndicator.cpp
    BusyIndicator.h
    ComposerIcon.cpp
    ComposerIcon.h
    ContentView.cpp
    ContentView.h
    ConversationWorkspaceView.cpp
    ConversationWorkspaceView.h
    FolderChooserDialog.cpp
    FolderChooserDialog.h
    MicControlView.cpp
    MicControlView.h
    PromptComposerView.cpp
    PromptComposerView.h
    PromptTextField.cpp
    PromptTextField.h
    SettingsView.cpp
    SettingsView.h
    Symbols.cpp
    Symbols.h
    ViewPalette.cpp
    ViewPalette.h
    WindowMenus.cpp
    WindowMenus.h
)
