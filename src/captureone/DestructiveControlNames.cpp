#include "captureone/DestructiveControlNames.h"

#include <algorithm>
#include <array>

namespace orbix::destructive {

namespace {

// Lower-case, composed (NFC) words. Words that also sit inside harmless ones are left out or taken in a
// longer form ("vider" is in "provider"; "herstel" in German "Hersteller").
constexpr std::array destructiveWords{
    // English
    u8"delete",
    u8"trash",
    u8"remove",
    u8"erase",
    u8"overwrite",
    u8"empty trash",
    u8"reset",
    u8"discard",
    u8"clear",
    u8"revert",
    u8"purge",
    u8"wipe",
    u8"destroy",
    // German
    u8"löschen",
    u8"entfernen",
    u8"papierkorb",
    u8"zurücksetzen",
    u8"verwerfen",
    u8"überschreiben",
    u8"leeren",
    // French
    u8"supprimer",
    u8"effacer",
    u8"corbeille",
    u8"réinitialiser",
    u8"retirer",
    u8"écraser",
    u8"rejeter",
    // Spanish
    u8"eliminar",
    u8"borrar",
    u8"papelera",
    u8"restablecer",
    u8"descartar",
    u8"quitar",
    u8"sobrescribir",
    u8"vaciar",
    // Italian
    u8"elimina",
    u8"cancella",
    u8"cestino",
    u8"rimuovi",
    u8"ripristina",
    u8"scarta",
    u8"sovrascrivi",
    u8"svuota",
    // Dutch
    u8"verwijder",
    u8"prullenbak",
    u8"wissen",
    u8"herstellen",
    u8"overschrijf",
    u8"leegmaken",
    // Portuguese
    u8"apagar",
    u8"excluir",
    u8"lixeira",
    u8"lixo",
    u8"redefinir",
    u8"limpar",
    // Swedish
    u8"radera",
    u8"ta bort",
    u8"papperskorg",
    u8"återställ",
};

} // namespace

bool namesDestructiveControl(const QString& name) {
    // Accessibility trees may hand out decomposed accents ("o" + combining diaeresis).
    const QString lower = name.normalized(QString::NormalizationForm_C).toLower();
    return std::any_of(destructiveWords.begin(), destructiveWords.end(), [&](const char8_t* word) {
        return lower.contains(QString::fromUtf8(reinterpret_cast<const char*>(word)));
    });
}

bool anyNamesDestructiveControl(const QStringList& namingTexts) {
    return std::any_of(namingTexts.cbegin(), namingTexts.cend(), namesDestructiveControl);
}

} // namespace orbix::destructive
