# The window shell: main window, conversation workspace, microphone control, composer, symbols, palette.
list(APPEND ORBIX_VIEWS_SOURCES
    Symbols.cpp
    Symbols.h
    ViewPalette.cpp
    ViewPalette.h
)
