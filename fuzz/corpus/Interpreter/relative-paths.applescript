tell application "Capture One 23"
    set requestedPaths to {"/Sample Photos/Forest Trail.ARW", "/x/\"quoted\\.jpg"}
    set targetVariants to {}
    repeat with aVariant in (variants of current document)
        if (POSIX path of (file of aVariant)) is in requestedPaths then set end of targetVariants to aVariant
    end repeat
    if (count of targetVariants) is 0 then error "None of the selected Orbix photos are in the open Capture One document."
    repeat with aVariant in targetVariants
        set exposure of adjustments of aVariant to ((exposure of adjustments of aVariant) + 0.5)
                set vignetting method of adjustments of aVariant to elliptic on crop
    end repeat
    return "Adjusted exposure on " & (count of targetVariants) & " selected variant(s)."
end tell
