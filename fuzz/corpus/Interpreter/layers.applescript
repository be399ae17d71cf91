tell application "Capture One"
    set targetVariants to selected variants
    if (count of targetVariants) is 0 then error "Select one or more Capture One variants first."
    repeat with aVariant in targetVariants
        tell aVariant to make new layer with properties {name:"Sky"}
        set activeLayer to current layer of aVariant
        set opacity of activeLayer to 60
        fill mask activeLayer
        feather mask activeLayer amount 25.0
        apply style "Warm Portrait" to aVariant
        set crop aspect ratio of aVariant to "3:2"
        set crop orientation of aVariant to portrait
        rotate left aVariant
    end repeat
    return "Updated the current layer on " & (count of targetVariants) & " selected variant(s)."
end tell
