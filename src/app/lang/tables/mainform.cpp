#include "app/lang/tables.h"

extern const TFormTables MainFormTables;
const TFormTables MainFormTables = {"MainForm", R"(
*_*toolbarfile_caption
 Principale
*_*bprecedente_caption
 Precedente
*_*bprecedente_hint
 Precedente
*_*bseguente_caption
 Seguente
*_*bseguente_hint
 Seguente
*_*bfileopen_caption
 Apri
*_*bfileopen_hint
 Apri
*_*printbutton_caption
 Stampa
*_*printbutton_hint
 Stampa
*_*coverbutton_caption
 Copertina
*_*coverbutton_hint
 Copertina
*_*summarybutton_caption
 Sommario
*_*summarybutton_hint
 Sommario
*_*cercakeybutton_caption
 Cerca
*_*cercakeybutton_hint
 Cerca
*_*nestedbutton_caption
 Mostra cornici
*_*nestedbutton_hint
 Mostra cornici
*_*toolbarhistory_caption
 Pagine visitate
*_*historycombo_hint
 URL
*_*file1_caption
 &File
*_*copiamenu1_caption
 C&opia
*_*cerca1_caption
 &Cerca
*_*ebook1_caption
 &Ebook
*_*help1_caption
 &?
*_*norvane3_caption
 &Norvane
*_*apri1_caption
 &Apri...
*_*automaticupdate1_caption
 Aggiornamento a&utomatico...
*_*semiautomaticupdate1_caption
 Aggiornamento &semi-automatico...
*_*impostastampante1_caption
 I&mposta stampante...
*_*impostamargini1_caption
 Imposta mar&gini...
*_*stampa1_caption
 Stam&pa...
*_*stampacorrente1_caption
 Stampa &corrente
*_*stampatutte1_caption
 Stampa tutte
*_*printoptions1_caption
 Opzioni di stampa...
*_*esci1_caption
 &Esci
*_*copia1_caption
 &Copia
*_*selezionatutto1_caption
 &Seleziona tutto
*_*cercasostituisci1_caption
 &Cerca...
*_*ripetiultimaricerca1_caption
 &Ripeti ultima ricerca nella pagina
*_*ripetinellipertesto1_caption
 Search again in the ebook...
*_*cercaperparolachiave1_caption
 Cerca per parola c&hiave...
*_*cercaconoperatori1_caption
 Cerca con &operatori...
*_*copertina1_caption
 &Copertina
*_*sommario1_caption
 &Sommario
*_*seetree1_caption
 Vedi &TOC
*_*addshowremarks1_caption
 Aggiungi/Mostra c&ommenti
*_*naumenta_caption
 Zoom &+
*_*ndiminuisci_caption
 Zoom &-
*_*paginaprecedente1_caption
 P&agina precedente
*_*paginaseguente1_caption
 Pagi&na seguente
*_*informazioni1_caption
 &Informazioni...
*_*datiutente1_caption
 &Dati utente...
*_*norvane2_caption
 ?
*_*copia2_caption
 &Copia
*_*selezionatutto3_caption
 &Seleziona tutto
*_*selezionabrano1_caption
 &Seleziona brano in casella
*_*copiasfondoincartellaappunti_caption
 Copia s&fondo in cartella appunti
*_*seguicollegamento1_caption
 Se&gui collegamento
*_*segui1_caption
 &Segui collegamento
*_*saveas1_caption
 &Salva come...
*_*seguicollzone_caption
 &Segui collegamento
*_*saveas2_caption
 &Salva come...
*_*precedentefloat_caption
 P&recedente...
*_*resize1_caption
 &Ridimensiona
*_*stampa2_caption
 Stam&pa...
*_*printoptions2_caption
 Opzioni di stampa...
*_*userdata2_caption
 &Dati utente...
*_*info1_caption
 &Info...
*_*norvane1_caption
 &Norvane
*_*exit1_caption
 &Esci
)", R"(
*_*toolbarfile_caption
 Main
*_*bprecedente_caption
 Back
*_*bprecedente_hint
 Back
*_*bseguente_caption
 Forward
*_*bseguente_hint
 Forward
*_*bfileopen_caption
 Open
*_*bfileopen_hint
 Open
*_*printbutton_caption
 Print
*_*printbutton_hint
 Print
*_*coverbutton_caption
 Cover
*_*coverbutton_hint
 Cover
*_*summarybutton_caption
 Contents
*_*summarybutton_hint
 Contents
*_*cercakeybutton_caption
 Search
*_*cercakeybutton_hint
 Search
*_*nestedbutton_caption
 Show frames
*_*nestedbutton_hint
 Show frames
*_*toolbarhistory_caption
 Visited pages
*_*historycombo_hint
 URL
*_*file1_caption
 &File
*_*copiamenu1_caption
 C&opy
*_*cerca1_caption
 &Search
*_*ebook1_caption
 &Ebook
*_*help1_caption
 &?
*_*norvane3_caption
 &Norvane
*_*apri1_caption
 &Open...
*_*automaticupdate1_caption
 A&utomatic update...
*_*semiautomaticupdate1_caption
 &Semi-automatic update...
*_*impostastampante1_caption
 Printer set&up...
*_*impostamargini1_caption
 Mar&gins...
*_*stampa1_caption
 &Print...
*_*stampacorrente1_caption
 Print &current
*_*stampatutte1_caption
 Print all
*_*printoptions1_caption
 Print options...
*_*esci1_caption
 E&xit
*_*copia1_caption
 &Copy
*_*selezionatutto1_caption
 Select &all
*_*cercasostituisci1_caption
 &Find...
*_*ripetiultimaricerca1_caption
 &Repeat last search in the page
*_*ripetinellipertesto1_caption
 Search again in the e&book...
*_*cercaperparolachiave1_caption
 Search by &keyword...
*_*cercaconoperatori1_caption
 Search with &operators...
*_*copertina1_caption
 &Cover
*_*sommario1_caption
 &Contents
*_*seetree1_caption
 View &TOC
*_*addshowremarks1_caption
 Add/Show &remarks
*_*naumenta_caption
 Zoom &in
*_*ndiminuisci_caption
 Zoom &out
*_*paginaprecedente1_caption
 &Previous page
*_*paginaseguente1_caption
 &Next page
*_*informazioni1_caption
 &About...
*_*datiutente1_caption
 &User data...
*_*norvane2_caption
 About Norvane
*_*copia2_caption
 &Copy
*_*selezionatutto3_caption
 Select &all
*_*selezionabrano1_caption
 Select &passage in box
*_*copiasfondoincartellaappunti_caption
 Copy &background to clipboard
*_*seguicollegamento1_caption
 &Follow link
*_*segui1_caption
 &Follow link
*_*saveas1_caption
 &Save as...
*_*seguicollzone_caption
 &Follow link
*_*saveas2_caption
 &Save as...
*_*precedentefloat_caption
 &Back...
*_*resize1_caption
 &Resize
*_*stampa2_caption
 &Print...
*_*printoptions2_caption
 Print options...
*_*userdata2_caption
 &User data...
*_*info1_caption
 &Info...
*_*norvane1_caption
 &Norvane
*_*exit1_caption
 E&xit
)"};
