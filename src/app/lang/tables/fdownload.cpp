#include "app/lang/tables.h"

extern const TFormTables FdownloadTables;
// The caption names the ebook: it is set by code, from the message table.
const TFormTables FdownloadTables = {"Fdownload", R"(
*_*okbutton_caption
 &Ok
*_*cancelbutton_caption
 A&nnulla
)", R"(
*_*okbutton_caption
 &OK
*_*cancelbutton_caption
 &Cancel
)"};
