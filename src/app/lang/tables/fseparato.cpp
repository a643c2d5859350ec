#include "app/lang/tables.h"

extern const TFormTables FseparatoTables;
const TFormTables FseparatoTables = {"Fseparato", R"(
*_*toolbarfile_caption
 Principale
*_*toolbarhistory_caption
 Pagine visitate
*_*historycombo_hint
 URL
*_*bprecedente_caption
 Precedente
*_*bprecedente_hint
 Precedente
*_*bseguente_caption
 Seguente
*_*bseguente_hint
 Seguente
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
 Cerca per parola chiave
*_*cercakeybutton_hint
 Cerca per parola chiave
*_*file1_caption
 &File
*_*ipertesto1_caption
 &Ipertesto
*_*help1_caption
 &?
*_*impostastampante1_caption
 I&mposta stampante...
*_*impostamargini1_caption
 Imposta mar&gini...
*_*stampa1_caption
 Stam&pa...
*_*esci1_caption
 &Esci
*_*copertina1_caption
 &Copertina
*_*sommario1_caption
 &Sommario
*_*paginaprecedente1_caption
 P&agina precedente
*_*paginaseguente1_caption
 Pagi&na seguente
*_*informazioni1_caption
 &Informazioni...
)", R"(
*_*toolbarfile_caption
 Main
*_*toolbarhistory_caption
 Visited pages
*_*historycombo_hint
 URL
*_*bprecedente_caption
 Back
*_*bprecedente_hint
 Back
*_*bseguente_caption
 Forward
*_*bseguente_hint
 Forward
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
 Search by keyword
*_*cercakeybutton_hint
 Search by keyword
*_*file1_caption
 &File
*_*ipertesto1_caption
 &Hypertext
*_*help1_caption
 &?
*_*impostastampante1_caption
 Printer set&up...
*_*impostamargini1_caption
 Mar&gins...
*_*stampa1_caption
 &Print...
*_*esci1_caption
 E&xit
*_*copertina1_caption
 &Cover
*_*sommario1_caption
 &Contents
*_*paginaprecedente1_caption
 &Previous page
*_*paginaseguente1_caption
 &Next page
*_*informazioni1_caption
 &About...
)"};
