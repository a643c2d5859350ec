#include "app/lang/tables.h"

extern const TFormTables FaboutTables;
const TFormTables FaboutTables = {"Fabout", R"(
*_*fabout_caption
 Informazioni
*_*versione_caption
 Versione
)", R"(
*_*fabout_caption
 About
*_*versione_caption
 Version
)"};
