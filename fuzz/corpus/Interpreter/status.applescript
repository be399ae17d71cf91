tell application "Capture One"
    if not (exists current document) then error "Open a Capture One catalog or session first."
    set selectedItems to selected variants
    if (count of selectedItems) is 0 then return "No variants selected."
    set primaryItem to primary variant
    set itemName to name of primaryItem
    set itemPath to POSIX path of (file of primaryItem)
    set itemRating to rating of primaryItem
    return "Selected variants: " & (count of selectedItems) & "\nPrimary: " & itemName & "\nFile: " & itemPath & "\nRating: " & itemRating
end tell
