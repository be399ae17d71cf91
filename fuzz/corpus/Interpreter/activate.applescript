tell application id "com.orbix.Orbix"
    activate
end tell
