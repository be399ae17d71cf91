tell application "Capture One"
    set sourceVariant to primary variant
    set targetVariants to selected variants
    copy adjustments sourceVariant
    set appliedCount to 0
    repeat with aVariant in targetVariants
        if (id of aVariant) is not (id of sourceVariant) then
            apply adjustments aVariant
            set appliedCount to appliedCount + 1
        else if appliedCount > 3 then
            process aVariant
        else
            clone variant aVariant
        end if
    end repeat
    import (POSIX file "/nonexistent") into current document
end tell
