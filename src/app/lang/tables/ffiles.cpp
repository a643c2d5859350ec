#include "app/lang/tables.h"

extern const TFormTables FFilesTables;
const TFormTables FFilesTables = {"FFiles", R"(
*_*ffiles_caption
 Collegamento a file
*_*label1_caption
 Il collegamento su cui hai cliccato punta al file:
*_*label2_caption
 Scegli l'azione da compiere:
*_*bsalva_caption
 &Salva...
*_*besegui_caption
 &Esegui
*_*bavanzate_caption
 A&vanzate...
*_*bannulla_caption
 &Annulla
)", R"(
*_*ffiles_caption
 Link to a file
*_*label1_caption
 The link you clicked points to the file:
*_*label2_caption
 Choose what to do:
*_*bsalva_caption
 &Save...
*_*besegui_caption
 &Run
*_*bavanzate_caption
 Ad&vanced...
*_*bannulla_caption
 &Cancel
)"};
