#include "app/lang/tables.h"

extern const TFormTables FcercaTables;
const TFormTables FcercaTables = {"Fcerca", R"(
*_*fcerca_caption
 Cerca:
*_*tskey_caption
 Pagina per parola chiave
*_*tsparola_caption
 Parola
*_*label1_caption
 Parola chiave:
*_.zeblistviewkw_columns*item0_caption
 Titolo
*_.zeblistviewkw_columns*item1_caption
 Dimensione
*_.zeblistviewkw_columns*item2_caption
 Nome file
*_.zeblistviewkw_columns*item3_caption
 pag.
*_*label3_caption
 Pagine
*_.zeblistviewpag_columns*item0_caption
 Titolo
*_.zeblistviewpag_columns*item1_caption
 Dimensione
*_.zeblistviewpag_columns*item2_caption
 Nome file
*_.zeblistviewpag_columns*item3_caption
 pag.
*_*label2_caption
 Cerca:
*_*bcancel_caption
 <
*_*bcancel_hint
 Azzera
*_*cbcaps1_caption
 ignora maiuscole/minuscole
*_*cbcomp1_caption
 solo parole intere
*_*label4_caption
 e:
*_*label5_caption
 Oppure:
*_*label6_caption
 e:
*_*bcnellapagina_caption
 Cerca nella &pagina...
*_*bcontinuanellipertesto_caption
 In the Ebook  F4
*_*speedbutton1_caption
 Tutte le pagine che rispondono al criterio
*_*binterrompi_caption
 Interrompi
*_.zeblistviewpagpar_columns*item0_caption
 Titolo
*_.zeblistviewpagpar_columns*item1_caption
 Dimensione
*_.zeblistviewpagpar_columns*item2_caption
 Nome file
*_.zeblistviewpagpar_columns*item3_caption
 pag.
*_.zeblistviewpagpar_columns*item5_caption
 Volte
*_.zeblistviewpagpar_columns*item6_caption
 Testo
)", R"(
*_*fcerca_caption
 Search:
*_*tskey_caption
 Page by keyword
*_*tsparola_caption
 Word
*_*label1_caption
 Keyword:
*_.zeblistviewkw_columns*item0_caption
 Title
*_.zeblistviewkw_columns*item1_caption
 Size
*_.zeblistviewkw_columns*item2_caption
 File name
*_.zeblistviewkw_columns*item3_caption
 p.
*_*label3_caption
 Pages
*_.zeblistviewpag_columns*item0_caption
 Title
*_.zeblistviewpag_columns*item1_caption
 Size
*_.zeblistviewpag_columns*item2_caption
 File name
*_.zeblistviewpag_columns*item3_caption
 p.
*_*label2_caption
 Search:
*_*bcancel_caption
 <
*_*bcancel_hint
 Clear
*_*cbcaps1_caption
 ignore case
*_*cbcomp1_caption
 whole words only
*_*label4_caption
 and:
*_*label5_caption
 Or:
*_*label6_caption
 and:
*_*bcnellapagina_caption
 Search in the &page...
*_*bcontinuanellipertesto_caption
 In the Ebook  F4
*_*speedbutton1_caption
 All the pages that match
*_*binterrompi_caption
 Stop
*_.zeblistviewpagpar_columns*item0_caption
 Title
*_.zeblistviewpagpar_columns*item1_caption
 Size
*_.zeblistviewpagpar_columns*item2_caption
 File name
*_.zeblistviewpagpar_columns*item3_caption
 p.
*_.zeblistviewpagpar_columns*item5_caption
 Times
*_.zeblistviewpagpar_columns*item6_caption
 Text
)"};
