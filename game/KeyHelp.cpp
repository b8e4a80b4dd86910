#include "game/KeyHelp.h"

namespace game {

std::wstring KeyHelpText() {
    return L"Hauptfenster\n"
           L"Tab, Umschalt+Tab: zum nächsten, zum vorigen Bedienelement\n"
           L"Leertaste, Eingabe: die gewählte Schaltfläche drücken\n"
           L"Escape: im Kurs zurück zum Hauptmenü (nach Rückfrage), im Hauptmenü das Spiel "
           L"beenden\n"
           L"F1: diese Übersicht\n"
           L"\n"
           L"Elemente der Folie\n"
           L"Pfeiltasten: zur Nachbarzelle der Tabelle\n"
           L"Leertaste: Klang abspielen oder anhalten\n"
           L"L: Schleife ein oder aus\n"
           L"B: Filter aus- und wieder einschalten, während die Ausgabe spielt\n"
           L"Eingabe: Feld zum Tauschen wählen, auf einem zweiten Feld tauschen\n"
           L"Escape: Wahl zum Tauschen aufheben\n"
           L"Kerbfilter: Links, Rechts verschieben die Kerbe (mit Umschalt um zehn Spalten)\n"
           L"Kerbfilter: T spielt einen kurzen Ton auf der Frequenz der Kerbe\n"
           L"Pol-Nullstellen-Ebene: Pfeiltasten bewegen das Kreuz (mit Umschalt weiter)\n"
           L"Pol-Nullstellen-Ebene: N setzt eine Nullstelle, P einen Pol, Entf löscht die "
           L"nächste Nullstelle oder den nächsten Pol\n"
           L"Pol-Nullstellen-Ebene: Strg+Z nimmt den letzten Schritt zurück";
}

} // namespace game
