#include "app/lang/tables.h"

extern const TFormTables FprintTables;
const TFormTables FprintTables = {"Fprint", R"(
*_*fprint_caption
 Stampa
*_*tspagine_caption
 Stampa pagine
*_*tsordine_caption
 Ordine predefinito
*_*tsopzioni_caption
 Opzioni
*_.pagscelte_columns*item0_caption
 Nome
*_*btutte_caption
 Tutte, in ordine predefinito
*_*bcorrente_caption
 Corrente
*_*baggiungipagina_caption
 Aggiungi pagina a destra
*_*bup_caption
 Sposta prima
*_*bdown_caption
 Sposta dopo
*_*bdelpage_caption
 Cestina selezionata
*_*cbsegna_caption
 Aggiungi in lista tutte le pagine toccate navigando
*_*cbprev_caption
 preview al clic sulla lista
*_*bindietro_caption
 Indietro
*_*bcover_caption
 Copertina
*_*bsummary_caption
 Sommario
*_*bcurpag_hint
 Pagina corrente
*_*prossimaslide1_caption
 Prossima slide...
*_*cbprevord_caption
 preview al clic sulla lista
*_*cbsfondo_caption
 sfondo
*_*cbsfondotab_caption
 sfondo tabelle
*_*labelscale_caption
 Scala immagini:
*_*cbprintcolorasblack_caption
 for texts, print color as black
*_*cballinone_caption
 all pages at once (one print job)
*_*bok_caption
 &Stampa
*_*bannulla_caption
 A&nnulla
)", R"(
*_*fprint_caption
 Print
*_*tspagine_caption
 Print pages
*_*tsordine_caption
 Default order
*_*tsopzioni_caption
 Options
*_.pagscelte_columns*item0_caption
 Name
*_*btutte_caption
 All, in the default order
*_*bcorrente_caption
 Current
*_*baggiungipagina_caption
 Add the page on the right
*_*bup_caption
 Move up
*_*bdown_caption
 Move down
*_*bdelpage_caption
 Remove selected
*_*cbsegna_caption
 Add to the list every page reached while browsing
*_*cbprev_caption
 preview on a click in the list
*_*bindietro_caption
 Back
*_*bcover_caption
 Cover
*_*bsummary_caption
 Contents
*_*bcurpag_hint
 Current page
*_*prossimaslide1_caption
 Next slide...
*_*cbprevord_caption
 preview on a click in the list
*_*cbsfondo_caption
 background
*_*cbsfondotab_caption
 table backgrounds
*_*labelscale_caption
 Picture scale:
*_*cbprintcolorasblack_caption
 for texts, print color as black
*_*cballinone_caption
 all pages at once (one print job)
*_*bok_caption
 &Print
*_*bannulla_caption
 &Cancel
)"};
